#pragma once

// Writes the usage screen straight into the console output stream, past
// /Q. programPath, the first word of the command line, is shortened in
// place to the program name.
void printUsage(char* programPath);
