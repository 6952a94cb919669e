#pragma once

struct AppState;
class Services;

// At start-up, before pvx.mdb is opened: when the file Purvex finds is the Access-format
// database of the older program (copied over by a user who switches), it says so and offers
// to convert it. Yes converts it (the old file is kept, byte for byte, under the name the
// question gives) and returns, for the start-up to open the new pvx.mdb. No, a file without
// the table pvx, or a conversion that cannot be done changes nothing: the program ends with
// a message saying what was found.
//
// Returns at once when pvx.mdb is no Access-format file. Throws EngineError for the start-up's
// error trap, which shows it and ends the program, where the file is left as it was.
void offerAccessConversion(AppState& state, Services& services);
