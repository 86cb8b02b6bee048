#pragma once

// The tray program from start to exit; returns the exit code given to the application's exit().
int proofdeskMain(int argc, char** argv);
