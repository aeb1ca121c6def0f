// The instrument family's model grows here; the library already links so that
// programs and tests can depend on it.
#include "VeskES.h"

QString VeskES::deviceName()
{
    return QStringLiteral("Vesk ES");
}
