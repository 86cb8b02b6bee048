#include "proofdeskmain.h"

int main(int argc, char** argv)
{
    return proofdeskMain(argc, argv);
}
