// VeskLib: the librarian of the Vesk ES.
#include "VeskLib_Program.h"

int main(int argc, char** argv)
{
    return RunVeskLib(argc, argv);
}
