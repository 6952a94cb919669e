#pragma once

#include <QString>

// pvx.server: the file in the start-up folder that names a PostgreSQL database to share,
// used when the folder holds no pvx.mdb. It holds one libpq connection string (keyword/value,
// "host=db.example.org dbname=purvex sslmode=verify-full", or a URI); blank lines and lines
// starting with # are comments.
namespace ServerFile {

inline constexpr const char* FileName = "pvx.server";

// The connection string in the file at path. A file that cannot be read, or holds no
// string or more than one, is refused with an EngineError saying so.
QString read(const QString& path);

} // namespace ServerFile
