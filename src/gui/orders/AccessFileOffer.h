#pragma once

#include <QString>
#include <QStringList>

struct AppState;
class Services;

// Where the records are in the old file: the older program's table pvx, whose columns are
// named as the fields; another table with "FIELD=COLUMN" pairs converts a file kept
// otherwise.
struct OldRecordsTable {
    QString name = QStringLiteral("pvx");
    QStringList pairs;
};

// At start-up, before pvx.mdb is opened: when the file Purvex finds is the Access-format
// database of the older program (copied over by a user who switches), it says so and offers
// to convert it. Yes converts it (the old file is kept, byte for byte, under the name the
// question gives) and returns, for the start-up to open the new pvx.mdb. No, a file without
// the table pvx, or a conversion that cannot be done changes nothing: the program ends with
// a message saying what was found.
//
// Returns at once when pvx.mdb is no Access-format file. Throws EngineError for the start-up's
// error trap, which shows it and ends the program, where the file is left as it was.
void offerAccessConversion(AppState& state, Services& services, const OldRecordsTable& table = {});
