#pragma once

// The Writer program from start to exit; returns the value of the application's event loop.
int writerMain(int argc, char** argv);
