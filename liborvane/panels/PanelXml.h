// The panel data's vocabulary, and the reading of one element's attributes
// into the descriptor records its cells are built from.
//
// Panel layouts and effect templates are XML. Element and attribute names are
// compared exactly. Attributes are read in four forms:
//   text     the text as written, "" when absent;
//   integer  decimal with an optional "-", or "0x" hexadecimal; 0 when absent;
//   flag     an integer, true when non-zero;
//   iterator expression  hexadecimal in which each run of "x" stands for the
//            panel's iterator in as many digits ("41xx20"); -1 when empty.
// The readers never fail and validate nothing: what the data says goes into
// the record (a layout lint checks the data instead). The panel's section
// walk (Panel::loadXmlElement) calls them in a fixed order; each is usable on
// its own, which is how the lint and the tests use them.
//
// The vocabulary here is the one list of every element and attribute the
// reader knows; the lint checks layouts against it.
#pragma once

#include "CommonInfo.h"

#include <QString>
#include <QStringList>

class MidiDevice;
class XmlElement;

// --- vocabulary ------------------------------------------------------------------

// The elements that have their common attributes read, the value controls
// among them, the layout elements and the structural ones ("tab", "include"
// and "template" are not among them: they take their own branches).
const QStringList& PanelCommonElements();
// The value controls that get a caption label before them when titled.
const QStringList& PanelCaptionedElements();
bool IsPanelCommonElement(const QString& tag);
bool IsPanelCaptionedElement(const QString& tag);

// Attribute names: of the common step, of the parameter step (read for every
// common element), and each element's own (including "header" on a captioned
// control, the section's loader attributes, and those of "tab", "include" and
// "template"). PanelOwnAttributes of a tag outside the vocabulary is empty.
const QStringList& PanelCommonAttributes();
const QStringList& PanelParamAttributes();
QStringList PanelOwnAttributes(const QString& tag);
// Attributes that stand in shipped layouts and that the reader reads nowhere;
// accepted on a section.
const QStringList& PanelIgnoredSectionAttributes();
// The iterator expressions among all of the above.
bool IsPanelIteratorAttribute(const QString& name);
// The integer and flag attributes among all of the above.
bool IsPanelIntegerAttribute(const QString& name);

// --- reading forms ---------------------------------------------------------------

bool ReadFlag(const XmlElement& e, const QString& name);
// ParseIterator of the attribute's text as a signed number: -1 for an empty
// or unreadable text.
int ReadIterator(const XmlElement& e, const QString& name, int iterator);

// --- the common step -----------------------------------------------------------------

// True when the element's condition is empty or occurs in conditions
// (case-sensitive substring: "insfx" passes in "insfx" and in "x-insfx-y").
bool PassesCondition(const XmlElement& e, const QString& conditions);
// The common attributes. iterator is the panel's, tab the index of the last
// tab element read before this one (-1 before any).
CommonInfo ReadCommonInfo(const XmlElement& e, int iterator, int tab);

// --- the parameter step ----------------------------------------------------------

// The parameter attributes. The address is the element's address
// expression, or without one, the device's indexed address of the element's
// index under baseAddress (0xFFFFFFFF: none). The items table and the range
// come from the device; without a device there is neither, and min and max
// keep their defaults. The bit field goes through ParamInfo::setBitField, so
// a "bits" without a "bit" gives no bit field. "bit", "bits" and "channel"
// are kept as written, for a panel re-pointed at another iterator.
ParamInfo ReadParamInfo(const XmlElement& e, MidiDevice* device, int iterator, unsigned int baseAddress);

// --- the descriptors of the cells ---------------------------------------------

// The caption label before a titled value control: the control's common
// part, the panel's control height, bold by the element's "header".
LabelInfo ReadCaptionInfo(const XmlElement& e, const CommonInfo& common, int controlHeight);
// "label" as it stands; "header" with bold and header set.
LabelInfo ReadLabelInfo(const XmlElement& e, const CommonInfo& common);
// "edit" and "combo". A tap-tempo edit gets its own tip.
EditInfo ReadEditInfo(const XmlElement& e, const CommonInfo& common, const ParamInfo& param);
// Both ends copy param; each end's address is its "low" or "high" expression
// alone (no base address, no index).
RangeInfo ReadRangeInfo(const XmlElement& e, const CommonInfo& common, const ParamInfo& param,
                        MidiDevice* device, int iterator);
StringInfo ReadStringInfo(const XmlElement& e, const CommonInfo& common, const ParamInfo& param);
PatchEditInfo ReadPatchEditInfo(const XmlElement& e, const CommonInfo& common, const ParamInfo& param);
// "mute" is read only when "solo" is off; "part" is an iterator expression,
// kept as written too.
CheckInfo ReadCheckInfo(const XmlElement& e, const CommonInfo& common, const ParamInfo& param, int iterator);
ButtonInfo ReadButtonInfo(const XmlElement& e, const CommonInfo& common);
EgInfo ReadEgInfo(const XmlElement& e, const CommonInfo& common);
// A separator ("separator", "sep"): the element's common part titled " ".
LabelInfo SeparatorInfo(const CommonInfo& common);
// A line gap ("br"): the element's common part one pixel wide.
LabelInfo LineGapInfo(const CommonInfo& common);
// The filler of a column fill or a paragraph gap: a default label one pixel
// wide.
LabelInfo FillerInfo();

// The tip a tap-tempo edit shows whatever the data says.
extern const char* const TapTempoTip;
