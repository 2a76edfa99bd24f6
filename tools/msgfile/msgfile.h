// msgfile: checks, lists, edits and converts message files through the message store itself.
#pragma once

#include <cstdio>

// Runs one command line. names holds the arguments as the system spells file names; texts the
// same arguments as UTF-8 (the two differ only on Windows, where file names stay in the ANSI
// code page). Output goes to out, complaints to err. Result: 0 done, 1 a failure or a finding,
// 2 a command line that cannot be understood.
int MSGFILE_run(int count, char** names, char** texts, std::FILE* out, std::FILE* err);
