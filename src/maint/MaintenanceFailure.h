#pragma once

#include <QString>

#include <stdexcept>

// A step of a backup or compaction that could not be done, with the reason in words.
class MaintenanceFailure : public std::runtime_error {
public:
    explicit MaintenanceFailure(const QString& reason)
        : std::runtime_error(reason.toStdString()), m_reason(reason) {}

    const QString& reason() const { return m_reason; }

private:
    QString m_reason;
};
