#include "maint/SafeCopy.h"

#include "maint/MaintenanceFailure.h"

#include "core/Progress.h"
#include "engine/EngineError.h"
#include "engine/FileSync.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

// Large enough that the system call per chunk costs nothing, small enough that the progress
// bar and the Cancel button answer at once.
constexpr qint64 ChunkSize = 1 << 20;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

SafeCopy::SafeCopy(const QString& source, const QString& destination)
    : m_source(source), m_destination(destination),
      m_temporary(destination + QStringLiteral(".partial")) {}

bool SafeCopy::reach(Step step) {
    return !m_hook || m_hook(step);
}

bool SafeCopy::isSameFile() const {
    // The same file may be reached by another name: a link, or a folder mounted twice.
    std::error_code error;
    const bool same = std::filesystem::equivalent(
        std::filesystem::path(QFile::encodeName(m_source).toStdString()),
        std::filesystem::path(QFile::encodeName(m_destination).toStdString()), error);
    return !error && same;
}

SafeCopy::Result SafeCopy::run() {
    Step step = Step::CheckTarget;
    const auto stopped = [&] { return Result{Outcome::Stopped, step, {}}; };
    QFile source(m_source);
    QFile temporary(m_temporary);
    bool created = false;
    const auto discard = [&] {
        temporary.close();
        if (created)
            QFile::remove(m_temporary);
    };
    try {
        if (!reach(step))
            return stopped();
        if (isSameFile())
            return {Outcome::SameFile, step, {}};
        if (!source.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            throw MaintenanceFailure(source.errorString());

        step = Step::CreateTemporary;
        if (!reach(step))
            return stopped();
        // One left by a copy that was cut short earlier; it holds nothing anybody needs.
        QFile::remove(m_temporary);
        if (!temporary.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            throw MaintenanceFailure(temporary.errorString());
        created = true;

        step = Step::Copy;
        if (!reach(step))
            return stopped();
        if (!copyBytes(source, temporary)) {
            temporary.close();
            QFile::remove(m_temporary);
            return {Outcome::Cancelled, step, {}};
        }

        step = Step::Flush;
        if (!reach(step))
            return stopped();
        if (!flushToDisk(temporary))
            throw MaintenanceFailure(temporary.errorString());
        // The comparison is to read what reached the disk, not what the system still holds.
        dropCachedData(temporary);
        temporary.close();
        if (temporary.error() != QFileDevice::NoError)
            throw MaintenanceFailure(temporary.errorString());

        step = Step::Compare;
        if (!reach(step))
            return stopped();
        if (!compareBytes(source)) {
            QFile::remove(m_temporary);
            return {Outcome::Cancelled, step, {}};
        }
        source.close();

        // From here on the copy is put in place; stopping half way would gain nothing.
        progress().disallowCancel();
        progress().setStage(QStringLiteral("Putting the copy in place..."), 0);
        step = Step::Replace;
        if (!reach(step))
            return stopped();
        QString why;
        if (!replaceFile(m_temporary, m_destination, &why))
            throw MaintenanceFailure(why);
        created = false;

        step = Step::FlushFolder;
        if (!reach(step))
            return stopped();
        flushFolder(QFileInfo(m_destination).absolutePath());
        return {Outcome::Copied, step, {}};
    } catch (const MaintenanceFailure& failure) {
        discard();
        return {Outcome::Failed, step, failure.reason()};
    } catch (const EngineError& error) {
        discard();
        return {Outcome::Failed, step, error.description()};
    } catch (const std::exception& error) {
        discard();
        return {Outcome::Failed, step, QString::fromLocal8Bit(error.what())};
    }
}

bool SafeCopy::copyBytes(QFile& from, QFile& to) {
    const qint64 size = from.size();
    progress().setStage(
        QStringLiteral("Copying %1 to %2...")
            .arg(QFileInfo(m_source).fileName(), native(QFileInfo(m_destination).absolutePath())),
        size);
    QByteArray buffer(ChunkSize, Qt::Uninitialized);
    qint64 done = 0;
    while (true) {
        const qint64 read = from.read(buffer.data(), ChunkSize);
        if (read < 0)
            throw MaintenanceFailure(from.errorString());
        if (read == 0)
            break;
        // A full disk, or a file larger than the volume takes, shows here.
        if (to.write(buffer.constData(), read) != read)
            throw MaintenanceFailure(to.errorString());
        done += read;
        if (!progress().advance(done))
            return false;
    }
    if (done != size)
        throw MaintenanceFailure(
            QStringLiteral("%1 changed while it was copied.").arg(native(m_source)));
    return true;
}

bool SafeCopy::compareBytes(QFile& from) {
    QFile copy(m_temporary);
    if (!copy.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw MaintenanceFailure(copy.errorString());
    const qint64 size = from.size();
    if (copy.size() != size)
        throw MaintenanceFailure(
            QStringLiteral("The copy holds %1 bytes instead of %2.").arg(copy.size()).arg(size));
    progress().setStage(QStringLiteral("Checking the copy..."), size);
    if (!from.seek(0))
        throw MaintenanceFailure(from.errorString());
    QByteArray original(ChunkSize, Qt::Uninitialized);
    QByteArray copied(ChunkSize, Qt::Uninitialized);
    qint64 done = 0;
    while (done < size) {
        const qint64 wanted = std::min(ChunkSize, size - done);
        if (from.read(original.data(), wanted) != wanted)
            throw MaintenanceFailure(from.errorString());
        if (copy.read(copied.data(), wanted) != wanted)
            throw MaintenanceFailure(copy.errorString());
        if (std::memcmp(original.constData(), copied.constData(), size_t(wanted)) != 0)
            throw MaintenanceFailure(
                QStringLiteral("The copy differs from the original at byte %1.").arg(done));
        done += wanted;
        if (!progress().advance(done))
            return false;
    }
    return true;
}
