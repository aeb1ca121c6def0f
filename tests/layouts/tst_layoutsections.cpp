// The editors' layouts section by section, as the editors rely on them: each
// layout holds its sections in order under its editor's title, and each
// section has its title and attributes, its control kinds and counts, its
// tabs, the distinct parameter addresses it names (the "address" attributes
// of its controls; range ends and envelope nodes are not counted) with the
// lowest and highest, and its control titles in document order (a repeated
// title once, at its first place, with its count). Every section loads into
// a panel with each of its iterators; the controls the editors' code looks
// up hold the attributes that code relies on, and the look-ups find them.
#include "EditorLayouts.h"
#include "MidiCheckBox.h"
#include "MidiEdit.h"
#include "MidiPatchEdit.h"
#include "MidiString.h"
#include "Panel.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskRig.h"
#include "XmlDocument.h"

#include <QMap>

#include <algorithm>
#include <memory>

namespace {

struct Row
{
    const char* section;
    const char* title;      // "(none)": no title
    const char* attributes; // "-": none but name and title
    const char* controls;   // kinds and counts, then "; N tabs"
    const char* addresses;  // "N: LOW to HIGH" or "none"
    const char* titles;     // in document order, "T xN" for a repeat, "(untitled)" for ""
};

// Each editor's sections, in the order of its file.
const Row Rows[] = {
    {"Voice:System", "System Settings", "-", "2 edit, 8 combo, 3 check, 1 button", "13: 000000 to 002122",
     "Volume, Note Shift, Velocity Curve, Local Control, mLAN Monitor, A/D Input Gain, AssignA, AssignA "
     "Dest, AssignB, AssignB Dest, Foot Switch, Enable, Master Effect, Edit... [button]"},
    {"Voice:Selection", "Voice Selection", "-", "1 patch, 1 combo, 1 string", "2: 407000 to 40700C",
     "&Number, Cat, Name"},
    {"Voice:Common", "Voice Common", "-", "9 edit, 7 combo, 2 check, 5 button", "18: 400001 to 407048",
     "Volume, Pan, PB Lower, PB Upper, Reverb x2, Chorus x2, Cutoff, Reso, Polyphony, Portamento, "
     "(untitled), Arpeggiator x2, Tempo, InsA, InsB, &General... [button], E&ffects... [button], "
     "&Arpeggiator... [button], Common &LFO... [button], &Control Sets... [button]"},
    {"Voice:General", "General Settings", "-", "25 edit, 8 combo, 1 check", "34: 400001 to 40704A",
     "Volume, Pan, Reverb, Chorus, Microtuning, M.tuning Root, PB Lower, PB Upper, Attack Time x2, Decay "
     "Time x2, Release Time x2, FEG Depth, Cutoff, Resonance, Sustain Level, Low, Low Mid, High Mid, High, "
     "Polyphony, Key On Assign, Mode, Switch, Time, Time Mode, Legato Slope, AssignA, AssignB, Assign1, "
     "Assign2, Knob Function"},
    {"Voice:Effects", "Effects", "copypaste 1", "5 combo, 4 button, 5 edit", "10: 400040 to 400400",
     "Type x2, Edit... [button] x4, Return x2, Pan x2, Send To Reverb, InsA, InsB, InsFX Connection"},
    {"Voice:Controllers", "Control Sets", "-", "12 combo, 6 edit, 24 check", "22: 400500 to 410318",
     "Source x6, Destination x6, Depth x6, Element 1 x6, Element 2 x6, Element 3 x6, Element 4 x6"},
    {"Voice:LFO", "Common LFO", "-", "11 combo, 1 button, 21 edit, 13 check", "37: 400600 to 440353",
     "LFO Wave, User Wave [button], LFO Speed, Tempo Sync, LFO Tempo Speed, Delay Time, Fade In Time, Hold "
     "Time, Fade Out Time, Key On Reset, Random Speed, LFO Phase, Element 1 x4, Element 2 x4, Element 3 x4, "
     "Element 4 x4, Destination x3, Depth x3, (untitled) x12"},
    {"Voice:LFO:User", "User Wave", "-", "2 combo, 16 edit", "18: 400613 to 400624",
     "Ridev Steps, Slope, Step 1, Step 2, Step 3, Step 4, Step 5, Step 6, Step 7, Step 8, Step 9, Step 10, "
     "Step 11, Step 12, Step 13, Step 14, Step 15, Step 16"},
    {"Voice:Arpeggiator", "Arpeggiator Settings", "copypaste 1", "1 check, 12 combo, 5 edit, 2 range",
     "18: 407014 to 407032",
     "ARP Switch, Main Type, ARP1, ARP2, ARP3, ARP4, ARP5, Hold, Key Mode, Velocity Mode, Change Timing, "
     "Velocity Rate, Gate Time Rate, Tempo, Unit Multiply, Quantize Value, Quantize Strength, Swing, "
     "Velocity Range, Key Range"},
    {"Voice:Elem", "xx", "center 1, selectable 1, width 45, type Element",
     "8 combo, 3 check, 33 edit, 4 range, 3 envelope, 8 button; 8 tabs", "37: 41xx00 to 44xx47",
     "Mem, Wave x2, Use, Level x2, Pan x2, Coarse x2, Fine, Cutoff x2, Reso x3, InsFX, Key Range x2, Velo "
     "Range, Fine Tune, FineScaling, Pitch Envelope, PEG [button], Sensitivity [button] x3, Random x2, "
     "Filter Type, Gain, HPF, Dist, Filter Envelope, FEG [button], Scaling [button] x2, Amp Envelope, AEG "
     "[button], Alt Pan, Scaling, EQ Type, Low Freq, Low Gain, Hi Freq, Hi Gain, Velocity Range, "
     "VelCrossFade, Speed, PitchMod, FilterMod, AmpMod, KeyOnReset, Key on Delay, Fade in Time, InsFX Send, "
     "KeyOnDelay, DelayTempoSync, DelayTempo"},
    {"Voice:Elem:PEG", "Pitch Envelope", "type Element", "1 envelope, 11 edit", "11: 42xx05 to 42xx14",
     "(untitled), Depth, Time x5, Level x5"},
    {"Voice:Elem:FEG", "Filter Envelope", "type Element", "1 envelope, 11 edit", "11: 43xx0E to 43xx1D",
     "(untitled), FEG Depth, Time x5, Level x5"},
    {"Voice:Elem:AEG", "Amp Envelope", "type Element", "1 envelope, 9 edit", "9: 41xx20 to 41xx2B",
     "(untitled), Volume, Level x4, Time x4"},
    {"Voice:Elem:Pitch:Sens", "Sensitivity", "type Element", "2 combo, 7 edit", "9: 42xx02 to 42xx1C",
     "Velocity Curve, Pitch Sens, PEG Level Sens, PEG Time Sens x2, PEG Time Dest, Level Center Key, Level "
     "Sens, PEG Time Center Key"},
    {"Voice:Elem:Filter:Sens", "Sensitivity", "type Element", "2 combo, 8 edit", "10: 43xx03 to 43xx31",
     "Velocity Curve, Cutoff Sens x2, Reso Sens, FEG Level Sens, FEG Time Sens x2, FEG Time Dest, HPF Cutoff "
     "Sens, FEG Time Center Key"},
    {"Voice:Elem:Amp:Sens", "Sensitivity", "type Element", "2 combo, 5 edit", "7: 41xx21 to 41xx3D",
     "Velocity Curve, Level Sens x2, AEG Time Sens x2, AEG Time Dest, Center Key"},
    {"Voice:Elem:Filter:Scaling", "Level Scaling", "type Element", "8 edit", "8: 43xx23 to 43xx2D",
     "Note x4, Offset x4"},
    {"Voice:Elem:Amp:Scaling", "Level Scaling", "type Element", "8 edit", "8: 41xx30 to 41xx3A",
     "Note x4, Offset x4"},
    {"Drum:Selection", "Drum Kit Selection", "-", "1 patch, 1 combo, 1 string", "2: 467000 to 46700C",
     "&Number, Cat, Name"},
    {"Drum:System", "System Settings", "-", "2 edit, 8 combo, 3 check, 1 button", "13: 000000 to 002122",
     "Volume, Note Shift, Velocity Curve, Local Control, mLAN Monitor, A/D Input Gain, AssignA, AssignA "
     "Dest, AssignB, AssignB Dest, Foot Switch, Enable, Master Effect, Edit... [button]"},
    {"Drum:Common", "Drum Kit Common", "-", "7 edit, 1 check, 5 combo, 4 button", "13: 460000 to 467048",
     "Volume, Arpeggiator x2, Tempo, Swing, Reverb x2, Chorus x2, Cutoff, Reso, InsA, InsB, &General... "
     "[button], E&ffects... [button], &Arpeggiator... [button], &Control Sets... [button]"},
    {"Drum:General", "General Settings", "-", "18 edit, 1 combo", "19: 460000 to 467049",
     "Volume, Pan, Reverb, Chorus, PB Lower, PB Upper, Cutoff, Resonance, Attack Time, Decay Time, Low, Low "
     "Mid, High Mid, High, AssignA, AssignB, Assign1, Assign2, Knob Function"},
    {"Drum:Effects", "Effects", "copypaste 1", "5 combo, 4 button, 7 edit", "12: 460040 to 460400",
     "Type x2, Edit... [button] x4, Return x2, Pan x2, Send To Reverb, InsA, InsB, InsFX Connection, Reverb "
     "Send, Chorus Send"},
    {"Drum:Controllers", "Control Sets", "-", "12 combo, 6 edit", "18: 460500 to 46051C",
     "Source x6, Destination x6, Depth x6"},
    {"Drum:Arpeggiator", "Arpeggiator Settings", "copypaste 1", "1 check, 12 combo, 5 edit, 2 range",
     "18: 467014 to 467032",
     "ARP Switch, Main Type, ARP1, ARP2, ARP3, ARP4, ARP5, Hold, Key Mode, Velocity Mode, Change Timing, "
     "Velocity Rate, Gate Time Rate, Tempo, Unit Multiply, Quantize Value, Quantize Strength, Swing, "
     "Velocity Range, Key Range"},
    {"Drum:KeySelection", "Select Drum Key", "-", "1 edit", "none", "(untitled)"},
    {"Drum:Key", "(none)", "-", "2 combo", "2: 47xx01 to 47xx06", "Mem, &Wave"},
    {"Drum:Key2", "(none)", "-", "2 check, 5 combo, 19 edit, 1 envelope, 1 button", "26: 47xx00 to 4Axx07",
     "Switch, Rx Note Off, Key On Assign, Alt Group, Output, Pan, Random Pan, Alt Pan, Coarse, Fine, Velo "
     "Sens x2, Cutoff, Cutoff Sens, Reso x2, HPF Cutoff, Level, AEG, Edit... [button], EQ Type, Low Freq, "
     "Low Gain, Hi Freq, Hi Gain, Rev Send, Cho Send, InsFX Route"},
    {"Drum:Key:AEG", "AEG", "type Key, offset 24", "1 envelope, 4 edit", "4: 47xx23 to 47xx29",
     "(untitled), Time x3, Level"},
    {"Perf:Selection", "Performance Selection", "-", "1 patch, 1 combo, 1 string", "2: 300000 to 30000C",
     "&Number, Cat, Name"},
    {"Perf:System", "System Settings", "-", "2 edit, 7 combo, 2 check", "11: 000000 to 000031",
     "Volume, Note Shift, Velocity Curve, Local Control, mLAN Monitor, A/D Input Gain, AssignA, AssignA "
     "Dest, AssignB, AssignB Dest, Foot Switch"},
    {"Perf:Common", "Performance Common", "-", "4 edit, 2 check, 5 combo, 6 button", "11: 300014 to 301122",
     "Volume, Reverb x2, Chorus x2, Master Effect x2, Arpeggiator x2, ARP Hold, Tempo, &General... [button], "
     "E&ffects... [button], Master E&Q... [button], &Arpeggiator... [button], &Controllers... [button], "
     "&Inputs... [button]"},
    {"Perf:Part", "xx", "-", "1 patch, 19 check, 3 range, 35 edit, 3 combo; 8 tabs", "40: 300060 to 31xx38",
     "Voice, Use, Key Range x2, Arp x2, Volume x3, Pan, Key x2, Ins, Reverb, Chorus, Cutoff x2, Reso x2, Low "
     "Gain, Mid Gain, Hi Gain, Mid Q, Low Freq, Mid Freq, Hi Freq, Detune, PB Lower, PB Upper, Attack x2, "
     "Decay x2, Sustain x2, Release x2, FEG Depth, Dry Level, VeloDepth, VeloOffset, Velocity Range, "
     "Mono/Poly, Portamento, PortaTime, PortaMode, Voice Pan, Output, Ctrl, AT, PB, Exp, Sust, MW, FS, FC1, "
     "FC2, BC, Assign1, Assign2, RB"},
    {"Perf:PLGPart", "Pxx", "-", "1 patch, 11 check, 3 range, 21 edit, 2 combo; 8 tabs",
     "23: 300060 to 316x26",
     "Voice, Use, Key Range x2, Arp x2, Volume x3, Pan, Key x2, Ins, Reverb, Chorus, Cutoff x2, Reso x2, "
     "Detune, PB x2, Dry Level, VeloDepth, VeloOffset, Attack, Decay, Release, Velocity Range, Mono/Poly, "
     "Portamento, PortaTime, Output, Ctrl, AT, Exp, Sust, MW"},
    {"Perf:General", "General Settings", "-", "23 edit, 1 check, 1 combo", "25: 300034 to 300056",
     "Volume, Pan, Reverb, Chorus, Attack Time x2, Decay Time x2, Release Time x2, FEG Depth, Cutoff, "
     "Resonance, Sustain Level, Switch, Time, Low, Low Mid, High Mid, High, AssignA, AssignB, Assign1, "
     "Assign2, Knob Function"},
    {"Perf:Effects", "Effects Settings", "copypaste 1",
     "3 combo, 3 button, 5 edit, 1 edit1, 1 label, 1 check", "10: 300056 to 301122",
     "Type x3, Edit... [button] x3, Return x2, Pan x2, Send, Send To Reverb, Master Effect, Enable"},
    {"Perf:MEQ", "Master EQ", "-", "15 edit, 2 combo", "17: 301000 to 301013",
     "Gain x5, Freq x5, Q x5, Shape x2"},
    {"Perf:Controllers", "Controllers Setup", "-", "7 combo", "7: 300058 to 30005E",
     "Assignable 1, Assignable 2, Ribbon Ctrl, Ribbon Mode, Breath Ctrl, Foot 1, Foot 2"},
    {"Perf:AD", "Inputs Settings", "-", "13 combo, 25 edit, 1 label, 1 check, 2 button",
     "39: 30005F to 344407",
     "Input Mode x5, Volume x5, Pan x5, Dry Level x5, Reverb Send x5, Chorus Send x5, Output Port x5, Insert "
     "FX, Enable, Effects Connection, InsA, Edit... [button] x2, InsB"},
    {"Perf:Arpeggiator", "Arpeggiator Settings", "copypaste 1", "2 check, 13 combo, 5 edit, 2 range, 1 label",
     "20: 300011 to 300032",
     "ARP Switch, Main Type, ARP1, ARP2, ARP3, ARP4, ARP5, Hold, Key Mode, Velocity Mode, Change Timing, "
     "Velocity Rate, Gate Time Rate, Tempo, Unit Multiply, Quantize Value, Quantize Strength, Swing, "
     "Velocity Range, Key Range, MIDI Out, Enable, MIDI Out Channel"},
    {"Master:Selection", "Master Selection", "-", "1 patch, 1 string", "1: 330000 to 330000",
     "&Number, Name"},
    {"Master:System", "System Settings", "-", "2 edit, 7 combo, 2 check", "11: 000000 to 000031",
     "Volume, Note Shift, Velocity Curve, Local Control, mLAN Monitor, A/D Input Gain, AssignA, AssignA "
     "Dest, AssignB, AssignB Dest, Foot Switch"},
    {"Master:Common", "Master Common", "-", "3 combo, 1 check, 2 patch", "5: 33000D to 330012",
     "Mode, Knob Function, Enable Zones, Voice, Performance, Pattern/Song"},
    {"Master:Zone", "xx", "-", "6 combo, 19 check, 6 edit, 1 range, 1 patch; 5 tabs", "13: 32xx00 to 32xx0F",
     "Channel, MIDI,  TG, Octave, Semitone, Key Range, Tx Bank Select x2, Tx Prog Change x2, Volume x3, Pan "
     "x3, Bank MSB, Bank LSB, Program, Voice, Slider x2, Knob x2, Sustain,  AT,  PB,  MW,  RB, FC1, FC2, FS, "
     " BC"},
    {"Mix:System", "System Settings", "-", "2 edit, 7 combo, 2 check", "11: 000000 to 000031",
     "Volume, Note Shift, Velocity Curve, Local Control, mLAN Monitor, A/D Input Gain, AssignA, AssignA "
     "Dest, AssignB, AssignB Dest, Foot Switch"},
    {"Mix:Part", "xx", "center 1, selectable 1, width 45",
     "1 patch, 19 check, 35 edit, 4 combo, 2 range; 8 tabs", "41: 360060 to 37xx38",
     "Voice, M, S, Volume x3, Pan, Key x2, Reverb, Chorus, InsFX, Cutoff x2, Reso x2, ARP, Channel, Output, "
     "Low Gain, Mid Gain, Hi Gain, Mid Q, Low Freq, Mid Freq, Hi Freq, Detune, PB Lower, PB Upper, Attack "
     "x2, Decay x2, Sustain x2, Release x2, FEG Depth, Dry Level, VeloDepth, VeloOffset, Key Range, Velocity "
     "Range, Use Voice Pan, Mono/Poly, Portamento, PortaTime, PortaMode, Ctrl, AT, PB, Exp, Sust, MW, FS, "
     "FC1, FC2, BC, Knob1, Knob2, RB"},
    {"Mix:PLGPart", "Pxx", "center 1, selectable 1, width 45",
     "1 patch, 11 check, 21 edit, 3 combo, 2 range; 8 tabs", "24: 360060 to 376x26",
     "Voice, M, S, Volume x3, Pan, Key x2, Reverb, Chorus, InsFX, Cutoff x2, Reso x2, ARP, Channel, Output, "
     "Detune, PB x2, Dry Level, VeloDepth, VeloOffset, Attack, Decay, Release, Key Range, Velocity Range, "
     "Mono/Poly, Portamento, PortaTime, Ctrl, AT, Exp, Sust, MW"},
    {"Mix:System1", "System", "-", "1 edit, 2 check", "3: 000000 to 000029",
     "Volume, Local Control, mLAN Monitor"},
    {"Mix:Common", "Mix Common", "-", "6 button, 4 combo, 2 check", "6: 360014 to 361122",
     "&General... [button], Master E&Q... [button], E&ffects... [button], Reverb, Chorus, Master Effect x2, "
     "&Arpeggiator... [button], ARP Switch, ARP Select, &Controllers... [button], &Inputs... [button]"},
    {"Mix:General", "General Settings", "-", "8 edit, 1 combo", "9: 360034 to 360046",
     "AssignA, AssignB, Assign1, Assign2, Knob Function, Low, Low Mid, High Mid, High"},
    {"Mix:MEQ", "Master EQ", "-", "15 edit, 2 combo", "17: 361000 to 361013",
     "Gain x5, Freq x5, Q x5, Shape x2"},
    {"Mix:Effects", "Effects Settings", "-", "3 combo, 3 button, 5 edit, 1 check", "9: 360100 to 361122",
     "Type x3, Details [button] x3, Return x2, Pan x2, Send To Reverb, Enable"},
    {"Mix:Controllers", "Controllers Setup", "-", "7 combo", "7: 360058 to 36005E",
     "Assignable 1, Assignable 2, Ribbon Ctrl, Ribbon Mode, Breath Ctrl, Foot 1, Foot 2"},
    {"Mix:AD", "Inputs Settings", "-", "13 combo, 25 edit, 1 label, 1 check, 2 button",
     "39: 36005F to 384407",
     "Input Mode x5, Volume x5, Pan x5, Dry Level x5, Reverb Send x5, Chorus Send x5, Output Port x5, Insert "
     "Effects, Enable, InsFX Connection, InsA, Edit... [button] x2, InsB"},
    {"Mix:Arpeggiator", "Arpeggiator Settings", "copypaste 1", "2 check, 13 combo, 4 edit, 2 range, 1 label",
     "19: 360011 to 360032",
     "ARP Switch, Main Type, ARP1, ARP2, ARP3, ARP4, ARP5, Hold, Key Mode, Velocity Mode, Change Timing, "
     "Velocity Rate, Gate Time Rate, Unit Multiply, Quantize Value, Quantize Strength, Swing, Velocity "
     "Range, Key Range, MIDI Out, Enable, MIDI Out Channel"},
};

// The controls the editors' code relies on: the nth element of its tag and
// title in the section, with the attributes it must have ("name=value",
// separated by "; "; "!name" for an attribute it must not have). The
// widths of the patch numbers, the part voices, the wave banks and waves,
// and the mix part's channel and volume are those the widest value (and
// column title) needs to show whole at the editors' default font.
struct Telling
{
    const char* section;
    const char* tag;
    const char* title;
    int nth;
    const char* attributes;
};

const Telling TellingControls[] = {
    {"Voice:Selection", "patch", "&Number", 0, "width=90; no_names=1; bold=1; banks=VOICES_NODRUM; !address"},
    {"Voice:Selection", "combo", "Cat", 0, "address=40700C; size=1; items=CATEGORIES; width=30; bold=1"},
    {"Voice:Selection", "string", "Name", 0, "address=407000; chars=10; width=103; bold=1"},
    {"Drum:Selection", "patch", "&Number", 0, "width=96; no_names=1; bold=1; banks=DRUMS; !address"},
    {"Drum:Selection", "combo", "Cat", 0, "address=46700C; size=1; items=CATEGORIES"},
    {"Drum:Selection", "string", "Name", 0, "address=467000; chars=10"},
    {"Perf:Selection", "patch", "&Number", 0, "width=80; no_names=1; bold=1; banks=PERFORMANCES; !address"},
    {"Perf:Selection", "combo", "Cat", 0, "address=30000C; size=1; items=CATEGORIES"},
    {"Perf:Selection", "string", "Name", 0, "address=300000; chars=10; width=118"},
    {"Master:Selection", "patch", "&Number", 0, "width=100; no_names=1; bold=1; banks=MASTERS; !address"},
    {"Master:Selection", "string", "Name", 0, "address=330000; chars=10"},
    {"Voice:Elem", "combo", "Mem", 0, "address=41xx01; items=WaveTypes; width=44"},
    {"Voice:Elem", "combo", "Wave", 0,
     "address=41xx03; size=2; items=WaveList; min=1; numbers=0; cat_sep= ; width=104"},
    {"Voice:Elem", "combo", "Wave", 1, "address=44xx40"},
    {"Drum:Key", "combo", "Mem", 0, "address=47xx01; items=WaveTypes2; width=44"},
    {"Drum:Key", "combo", "&Wave", 0,
     "address=47xx06; size=2; items=DrumWaveList; min=1; cat_sep= ; wrap=1; width=100"},
    {"Voice:Controllers", "combo", "Destination", 0, "address=400501; items=CTRL_DEST; size=2"},
    {"Voice:Controllers", "combo", "Destination", 1, "address=400506; items=CTRL_DEST; size=2"},
    {"Voice:Controllers", "combo", "Destination", 2, "address=40050B; items=CTRL_DEST; size=2"},
    {"Voice:Controllers", "combo", "Destination", 3, "address=400510; items=CTRL_DEST; size=2"},
    {"Voice:Controllers", "combo", "Destination", 4, "address=400515; items=CTRL_DEST; size=2"},
    {"Voice:Controllers", "combo", "Destination", 5, "address=40051A; items=CTRL_DEST; size=2"},
    {"Drum:Controllers", "combo", "Destination", 0, "address=460501; items=CTRL_DEST; size=2"},
    {"Drum:Controllers", "combo", "Destination", 1, "address=460506; items=CTRL_DEST; size=2"},
    {"Drum:Controllers", "combo", "Destination", 2, "address=46050B; items=CTRL_DEST; size=2"},
    {"Drum:Controllers", "combo", "Destination", 3, "address=460510; items=CTRL_DEST; size=2"},
    {"Drum:Controllers", "combo", "Destination", 4, "address=460515; items=CTRL_DEST; size=2"},
    {"Drum:Controllers", "combo", "Destination", 5, "address=46051A; items=CTRL_DEST; size=2"},
    {"Drum:KeySelection", "edit", "", 0,
     "items=NOTENAME; min=24; max=96; default=36; note=1; piano=1; width=260; height=20; bold=1; !address"},
    {"Perf:Part", "patch", "Voice", 0, "address=31xx00; request=1; width=142; banks=VOICES"},
    {"Perf:PLGPart", "patch", "Voice", 0, "address=316x00; request=1; width=142; banks=PLGxx"},
    {"Master:Common", "combo", "Mode", 0, "address=33000D; items=MODES"},
    {"Master:Common", "check", "Enable Zones", 0, "address=330011; size=1"},
    {"Master:Common", "patch", "Voice", 0, "address=33000E; banks=VOICES; enable=Mode; enable_values=0"},
    {"Master:Common", "patch", "Performance", 0,
     "address=33000E; banks=PERFORMANCES; enable=Mode; enable_values=1"},
    {"Master:Common", "combo", "Pattern/Song", 0,
     "address=330010; items=ProgramNo; max=63; enable=Mode; enable_values=2|3"},
    {"Master:Zone", "patch", "Voice", 0, "address=32xx09; banks=VOICES; change_on_byte=1; width=160"},
    {"Mix:Part", "patch", "Voice", 0, "address=37xx00; request=1; banks=MIX_VOICES; width=142"},
    {"Mix:Part", "check", "M", 0, "mute=1; part=xx; tip=Mute; width=17; !solo"},
    {"Mix:Part", "check", "S", 0, "solo=1; part=xx; tip=Solo; width=18; !mute"},
    {"Mix:Part", "combo", "Channel", 0, "address=37xx03; items=CHANNELS; width=54"},
    {"Mix:Part", "edit", "Volume", 0, "address=37xx0D; default=100; width=50"},
    {"Mix:PLGPart", "patch", "Voice", 0, "address=376x00; banks=PLGxx"},
    {"Mix:PLGPart", "check", "M", 0, "mute=1; part=1x"},
    {"Mix:PLGPart", "check", "S", 0, "solo=1; part=1x"},
    {"Mix:PLGPart", "combo", "Channel", 0, "address=376x03; items=CHANNELS"},
};

// The controls of a section: value controls, buttons, labels and disabled
// value controls, with what the tables count them as.
const QMap<QString, QString>& controlKinds()
{
    static const QMap<QString, QString> kinds = {
        {QStringLiteral("edit"), QStringLiteral("edit")},
        {QStringLiteral("combo"), QStringLiteral("combo")},
        {QStringLiteral("check"), QStringLiteral("check")},
        {QStringLiteral("button"), QStringLiteral("button")},
        {QStringLiteral("patch"), QStringLiteral("patch")},
        {QStringLiteral("string"), QStringLiteral("string")},
        {QStringLiteral("range"), QStringLiteral("range")},
        {QStringLiteral("eg"), QStringLiteral("envelope")},
        {QStringLiteral("label"), QStringLiteral("label")},
        {QStringLiteral("edit1"), QStringLiteral("edit1")},
    };
    return kinds;
}

void walk(const XmlElement* e, QList<const XmlElement*>& out)
{
    for (const XmlElement* child : e->children()) {
        out << child;
        walk(child, out);
    }
}

QList<const XmlElement*> elementsOf(const XmlElement* section)
{
    QList<const XmlElement*> list;
    walk(section, list);
    return list;
}

// "2 edit, 8 combo; 8 tabs" as kind -> count, tabs under "tabs".
QMap<QString, int> parseControls(const QString& text)
{
    QMap<QString, int> counts;
    const QStringList parts = text.split(QStringLiteral("; "));
    for (const QString& item : parts.first().split(QStringLiteral(", "))) {
        const QStringList f = item.split(QLatin1Char(' '));
        counts[f.at(1)] += f.at(0).toInt();
    }
    if (parts.size() > 1)
        counts[QStringLiteral("tabs")] = parts.at(1).section(QLatin1Char(' '), 0, 0).toInt();
    return counts;
}

QMap<QString, int> countControls(const XmlElement* section)
{
    QMap<QString, int> counts;
    for (const XmlElement* e : elementsOf(section)) {
        if (controlKinds().contains(e->tagName()))
            ++counts[controlKinds().value(e->tagName())];
        if (e->tagName() == QLatin1String("tab"))
            ++counts[QStringLiteral("tabs")];
    }
    return counts;
}

// An address text with its iterator digits at 0, as a number to order by.
uint addressOrder(const QString& text)
{
    return QString(text).replace(QLatin1Char('x'), QLatin1Char('0')).toUInt(nullptr, 16);
}

QString addressSummary(const XmlElement* section)
{
    QStringList addresses;
    for (const XmlElement* e : elementsOf(section)) {
        const QString a = e->attribute(QStringLiteral("address"));
        if (!a.isEmpty() && controlKinds().contains(e->tagName()) && !addresses.contains(a))
            addresses << a;
    }
    if (addresses.isEmpty())
        return QStringLiteral("none");
    std::sort(addresses.begin(), addresses.end(),
              [](const QString& a, const QString& b) { return addressOrder(a) < addressOrder(b); });
    return QStringLiteral("%1: %2 to %3").arg(addresses.size()).arg(addresses.first(), addresses.last());
}

QString titleSummary(const XmlElement* section)
{
    QStringList order;
    QMap<QString, int> counts;
    for (const XmlElement* e : elementsOf(section)) {
        if (!controlKinds().contains(e->tagName()))
            continue;
        QString title = e->attribute(QStringLiteral("title"));
        if (title.isEmpty())
            title = QStringLiteral("(untitled)");
        if (e->tagName() == QLatin1String("button"))
            title += QStringLiteral(" [button]");
        if (!counts.contains(title))
            order << title;
        ++counts[title];
    }
    QStringList out;
    for (const QString& title : order)
        out << (counts.value(title) > 1 ? QStringLiteral("%1 x%2").arg(title).arg(counts.value(title))
                                        : title);
    return out.join(QStringLiteral(", "));
}

QString attributeSummary(const XmlElement* section)
{
    QStringList list;
    for (const auto& [name, value] : section->attributes()) {
        if (name != QLatin1String("name") && name != QLatin1String("title"))
            list << name + QLatin1Char(' ') + value;
    }
    list.sort();
    return list.isEmpty() ? QStringLiteral("-") : list.join(QStringLiteral(", "));
}

QString sortedList(const QString& text)
{
    if (text == QLatin1String("-"))
        return text;
    QStringList list = text.split(QStringLiteral(", "));
    list.sort();
    return list.join(QStringLiteral(", "));
}

const EditorLayout& editorOf(const QString& section)
{
    static const QMap<QString, QString> programs = {
        {QStringLiteral("Voice"), QStringLiteral("VeskVoice")},
        {QStringLiteral("Drum"), QStringLiteral("VeskDrum")},
        {QStringLiteral("Perf"), QStringLiteral("VeskPerf")},
        {QStringLiteral("Master"), QStringLiteral("VeskMaster")},
        {QStringLiteral("Mix"), QStringLiteral("VeskMix")},
    };
    const QString program = programs.value(section.section(QLatin1Char(':'), 0, 0));
    for (const EditorLayout& layout : editorLayouts()) {
        if (layout.program == program)
            return layout;
    }
    return editorLayouts().first();
}

struct Window
{
    explicit Window(MidiDevice* device) : client(QStringLiteral("Layouts"), device, &widget) {}
    QWidget widget;
    MidiClient client;
};

} // namespace

class TestLayoutSections : public QObject
{
    Q_OBJECT

    std::unique_ptr<Vesk> vesk;
    std::unique_ptr<Window> window;

    const XmlElement* section(const QString& name)
    {
        return vesk->xml()->findElement(QStringLiteral("section"), QStringLiteral("name"), name);
    }

    // The section built into a vertical panel (or a part row) with iterator.
    std::unique_ptr<Panel> build(const QString& name, int iterator)
    {
        auto panel = std::make_unique<Panel>(&window->client, &window->widget);
        if (isPartRow(name)) {
            panel->setOrientation(0);
            panel->setControlSize(60, 19);
        } else {
            panel->setControlWidth(sectionControlWidth(name));
        }
        panel->init(&window->widget, QPoint(0, 0), true);
        panel->loadSection(name, iterator);
        return panel;
    }

private slots:
    void initTestCase()
    {
        resetVeskTest();
        vesk = std::make_unique<Vesk>();
        for (const EditorLayout& layout : editorLayouts())
            QVERIFY2(loadEditorLayout(vesk.get(), layout), qPrintable(layout.file));
        window = std::make_unique<Window>(vesk.get());
    }

    void cleanupTestCase()
    {
        window.reset();
        vesk.reset();
    }

    // Each file holds the sections of its editor, in order, and nothing else.
    void sectionsOfEachFile()
    {
        for (const EditorLayout& layout : editorLayouts()) {
            const XmlElement* root = layoutRoot(vesk.get(), layout);
            QVERIFY2(root, qPrintable(layout.rootTitle));
            QStringList names;
            for (const XmlElement* s : layoutSections(root))
                names << s->attribute(QStringLiteral("name"));
            QStringList expected;
            for (const Row& row : Rows) {
                if (&editorOf(QLatin1String(row.section)) == &layout)
                    expected << QLatin1String(row.section);
            }
            QCOMPARE(names, expected);
            QCOMPARE(root->attributes().size(), 1);
        }
    }

    void sections_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(Rows)); ++i)
            QTest::newRow(Rows[i].section) << i;
    }

    void sections()
    {
        QFETCH(int, row);
        const Row& r = Rows[row];
        const XmlElement* s = section(QLatin1String(r.section));
        QVERIFY(s);
        const QString title = s->hasAttribute(QStringLiteral("title")) ? s->attribute(QStringLiteral("title"))
                                                                       : QStringLiteral("(none)");
        QCOMPARE(title, QLatin1String(r.title));
        QCOMPARE(attributeSummary(s), sortedList(QLatin1String(r.attributes)));
        QCOMPARE(countControls(s), parseControls(QLatin1String(r.controls)));
        QCOMPARE(addressSummary(s), QLatin1String(r.addresses));
        QCOMPARE(titleSummary(s), QLatin1String(r.titles));
    }

    void tellingControls_data()
    {
        QTest::addColumn<int>("row");
        for (int i = 0; i < int(std::size(TellingControls)); ++i) {
            const Telling& t = TellingControls[i];
            QTest::addRow("%s %s %s %d", t.section, t.tag, t.title, t.nth) << i;
        }
    }

    void tellingControls()
    {
        QFETCH(int, row);
        const Telling& t = TellingControls[row];
        const XmlElement* found = nullptr;
        int seen = 0;
        for (const XmlElement* e : elementsOf(section(QLatin1String(t.section)))) {
            if (e->tagName() == QLatin1String(t.tag) &&
                e->attribute(QStringLiteral("title")) == QLatin1String(t.title) && seen++ == t.nth) {
                found = e;
                break;
            }
        }
        QVERIFY(found);
        for (const QString& item : QString::fromLatin1(t.attributes).split(QStringLiteral("; "))) {
            if (item.startsWith(QLatin1Char('!'))) {
                QVERIFY2(!found->hasAttribute(item.mid(1)), qPrintable(item));
                continue;
            }
            const QString name = item.section(QLatin1Char('='), 0, 0);
            QVERIFY2(found->hasAttribute(name), qPrintable(name));
            QCOMPARE(found->attribute(name), item.section(QLatin1Char('='), 1));
        }
    }

    // What the editors' look-ups by title find in the built panels.
    void lookups()
    {
        for (const char* name : {"Voice:Selection", "Drum:Selection", "Perf:Selection", "Master:Selection"})
            QVERIFY2(build(QLatin1String(name), -1)->getPatchEdit(QStringLiteral("&Number"), 0), name);
        const auto voiceSelection = build(QStringLiteral("Voice:Selection"), -1);
        QCOMPARE(voiceSelection->getEdit(QStringLiteral("Cat"), 0)->editInfo().param.address(), 0x40700Cu);
        QCOMPARE(voiceSelection->getStringEdit(QStringLiteral("Name"), 0)->stringInfo().param.address(),
                 0x407000u);
        QVERIFY(!build(QStringLiteral("Master:Selection"), -1)->getEdit(QStringLiteral("Cat"), 0));

        // The element's wave, not its LFO's, is the first "Wave".
        const auto element = build(QStringLiteral("Voice:Elem"), 2);
        QCOMPARE(element->getEdit(QStringLiteral("Wave"), 0)->editInfo().param.address(), 0x410203u);
        QCOMPARE(element->getEdit(QStringLiteral("Mem"), 0)->editInfo().param.address(), 0x410201u);
        const auto key = build(QStringLiteral("Drum:Key"), 12);
        QCOMPARE(key->getEdit(QStringLiteral("&Wave"), 0)->editInfo().param.address(), 0x470C06u);

        // No "Multi" among the master's patches; the zone switch by title.
        const auto master = build(QStringLiteral("Master:Common"), -1);
        QVERIFY(master->getPatchEdit(QStringLiteral("Voice"), 0));
        QVERIFY(master->getPatchEdit(QStringLiteral("Performance"), 0));
        QVERIFY(!master->getPatchEdit(QStringLiteral("Multi"), 0));
        QCOMPARE(master->getCheckBox(QStringLiteral("Enable Zones"), 0)->checkInfo().param.address(),
                 0x330011u);

        // A board part's voice with iterator 2; a mix part's volume.
        QCOMPARE(build(QStringLiteral("Mix:PLGPart"), 2)
                     ->getPatchEdit(QStringLiteral("Voice"), 0)
                     ->info.param.address(),
                 0x376200u);
        QCOMPARE(build(QStringLiteral("Perf:PLGPart"), 2)
                     ->getPatchEdit(QStringLiteral("Voice"), 0)
                     ->info.param.address(),
                 0x316200u);
        QCOMPARE(build(QStringLiteral("Mix:Part"), 10)
                     ->getEdit(QStringLiteral("Volume"), 0)
                     ->editInfo()
                     .param.address(),
                 0x370A0Du);
        const auto plg = build(QStringLiteral("Mix:PLGPart"), 1);
        QCOMPARE(plg->getCheckBox(QStringLiteral("M"), 0)->checkInfo().part, 17);
        QCOMPARE(plg->getCheckBox(QStringLiteral("S"), 0)->checkInfo().part, 17);
    }

    void loadsIntoPanel_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("iterator");
        for (const Row& row : Rows) {
            const QList<int> iterators = sectionIterators(QLatin1String(row.section));
            QTest::addRow("%s %d", row.section, iterators.first())
                << QString::fromLatin1(row.section) << iterators.first();
            if (iterators.size() > 1)
                QTest::addRow("%s %d", row.section, iterators.last())
                    << QString::fromLatin1(row.section) << iterators.last();
        }
    }

    // Every section builds its controls, stops on no limit and shows its
    // caption: its title, with the iterator's number for "xx".
    void loadsIntoPanel()
    {
        QFETCH(QString, name);
        QFETCH(int, iterator);
        const auto panel = build(name, iterator);
        QVERIFY(panel->itemCount() > 0);
        QCOMPARE(panel->loadErrors(), QStringList());
        const QString title = section(name)->attribute(QStringLiteral("title"));
        if (title.contains(QLatin1String("xx")))
            QCOMPARE(panel->title(),
                     QString(title).replace(QStringLiteral("xx"), QString::number(iterator + 1)));
        else if (iterator == -1)
            QCOMPARE(panel->title(), title);
        else if (!title.isEmpty())
            QVERIFY2(panel->title().endsWith(QStringLiteral(" - ") + title), qPrintable(panel->title()));
        QCOMPARE(panel->tabCount(), countControls(section(name)).value(QStringLiteral("tabs")));
    }
};

ORVANE_TEST_MAIN(TestLayoutSections)
#include "tst_layoutsections.moc"
