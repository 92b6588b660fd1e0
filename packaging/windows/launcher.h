// What the Windows launchers share: where they lie, the environment, and starting a program and
// waiting for its end.
#pragma once

#include <string>
#include <vector>

// An ASCII text as a wide one.
std::wstring Wide(const std::string& ascii);
// The folder the running program lies in, with its closing backslash.
std::wstring OwnFolder();
// An environment variable's value; empty when unset.
std::wstring Variable(const wchar_t* name);
// The program's arguments, without its own name.
std::vector<std::wstring> Arguments();
// One argument as a command line holds it, so that the program started gets it back unchanged.
std::wstring Quoted(const std::wstring& argument);
// Starts the program (found as the system finds a program when `program` is empty) with the
// command line given, waits for its end and returns its exit status; a box when it cannot start.
int Run(const std::wstring& program, const std::wstring& commandLine, const wchar_t* title);
