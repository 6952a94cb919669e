#pragma once

#include <QString>

// The help texts of pvxadmin: one per command, and the whole help made of them. The manual
// page is made from the whole help, so the page, `pvxadmin --help` and
// `pvxadmin COMMAND --help` say the same.
namespace AdminHelp {

// Every command with its options, the exit statuses and the notes.
QString full();

// One command's usage, options and exit statuses; empty for a name that is no command.
QString ofCommand(const QString& command);

// "Purvex 1.01": the version of the build.
QString version();

} // namespace AdminHelp
