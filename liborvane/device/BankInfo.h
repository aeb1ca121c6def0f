// One bank named by an instrument definition file.
#pragma once

#include "Patch.h"

#include <QString>

struct BankInfo
{
    Bank bank;    // MSB and LSB
    QString name; // title of the bank's patch-name section, and the bank's name
};

// Ascending bank word (MSB << 8 | LSB). Equal words compare false both ways,
// so a stable sort keeps such banks in the order they were read.
bool BankLessThan(const BankInfo& a, const BankInfo& b);
