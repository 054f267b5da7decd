// Entry of the windowed program.
#pragma once

int RunGui(int argc, char** argv);
