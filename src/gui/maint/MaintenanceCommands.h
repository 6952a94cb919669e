#pragma once

struct AppState;
class Services;

// The File menu's "&Backup" and "&Pack Database". Both need the database file closed: they
// set gMaintenance, have the application unload the main form (which closes the file without
// ending the program; unsaved edits are dropped), do their work on the closed file, and have
// the main form loaded again, which runs the whole start-up sequence: the first record in
// order-date order, whatever was showing before.

// Shows the backup dialog between unloading and loading the main form.
void runBackup(AppState& state, Services& services);

// On a server: shows the backup dialog over the main form, which stays as it is (its unsaved
// edits too), since the snapshot is read through a connection of its own and changes nothing.
void runServerBackup(AppState& state, Services& services);

// Asks first; No changes nothing. Yes compacts pvx.mdb in the data folder, keeping the
// database as it was in pvxdb.bak, and says what failed if anything did.
void runCompaction(AppState& state, Services& services);
