#pragma once

#include <QStringList>

class QTextStream;

// The commands of pvxadmin, the command-line companion that makes and checks pvx.mdb files
// and prints their built-in and custom reports.
namespace AdminCommands {

inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;
inline constexpr int DefaultDemoRecords = 60;

// Whether the command line lays out pages, which takes the fonts of a GUI application.
bool needsPages(const QStringList& arguments);

// Runs one command line (without the program name). Results go to out; a failure or a
// usage error is one line on err beginning with "pvxadmin: ". Returns the exit status.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace AdminCommands
