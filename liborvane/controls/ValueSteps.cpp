#include "ValueSteps.h"

int GridPoint(int value, int min, int max, bool up)
{
    const int mid = (min + max + 1) / 2;
    int step = (max - min - 2) / 4 + 1;
    // A scale of one or two values (or an inverted one) still steps by one.
    if (step < 1)
        step = 1;
    const int d = value - mid;
    int k = d / step;
    const int r = d % step;
    if (up && r >= 0)
        ++k;
    else if (!up && r <= 0)
        --k;
    return mid + k * step;
}
