// The coarse steps of PageUp and PageDown shared by the controls that step a
// value through its range with keys.
#pragma once

// The next grid point above (up) or below value on the scale min..max. The
// grid runs through the middle of the scale in steps of about a quarter of
// it: mid = (min + max + 1) / 2, step = (max - min - 2) / 4 + 1, points mid +
// k * step; for 0..127 that is 0, 32, 64, 96 and 128. The point may lie past
// either end: the caller clamps. A value of -1 (none yet) steps like any
// other.
int GridPoint(int value, int min, int max, bool up);
