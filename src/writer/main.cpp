#include "writermain.h"

int main(int argc, char** argv)
{
    return writerMain(argc, argv);
}
