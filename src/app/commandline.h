#ifndef CADENZA_COMMANDLINE_H
#define CADENZA_COMMANDLINE_H

// The program's name, version, organisation and desktop entry, set on the
// application before anything reads them (the settings store lives under the
// organisation and application names).
void setApplicationIdentity();

// Answers --help and --version on the terminal and exits; returns when
// neither is given. It runs before the GUI application exists, so it needs no
// display. Other arguments are left to Qt (-style, -platform, ...).
void answerCommandLine(int argc, char *argv[]);

#endif
