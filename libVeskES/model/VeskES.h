#pragma once

#include <QString>

namespace VeskES {
QString deviceName();
}
