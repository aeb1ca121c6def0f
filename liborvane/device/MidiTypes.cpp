#include "MidiTypes.h"
