#pragma once

#include "engine/EngineError.h"

class Database;

// Writes that fail as a record held by someone else would, so that the locked-record protocol
// and the error trap are tried on a real file. Only the tests reach into the engine for this.
class DatabaseFaults {
public:
    // The next `count` writes through a recordset on db fail with `number` before they touch
    // the file.
    static void failNextWrites(Database& db, int count, int number = ErrorNumber::RecordLocked);
};
