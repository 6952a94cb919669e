#pragma once

#include "custom/ReportDefinition.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <stdexcept>

// A saved report design as text, and back: the report's fields in order with their settings,
// the sort fields and the options, with fields named as the designer lists them, so that the
// design outlives the numbering of the catalogue. The form is described in ReportDesign.md.
namespace ReportDesign {

// The version this release writes and the newest it reads. A later release that only adds
// keys keeps it (older readers pass over keys they do not know); one whose designs an older
// reader would misread raises it, and the older reader refuses them.
inline constexpr int FormatVersion = 1;

// A design's name: 1 to 60 characters, case ignored when names are compared.
inline constexpr int MaxNameLength = 60;

// Why a name cannot be a design's name (empty, too long, a tab or line break in it); empty
// when it can. The name is taken without blanks around it.
QString nameProblem(const QString& name);

// The definition's report fields, their settings, the sort and the options as text. Bounds
// typed in the user's locale are written in one form that reads the same in every locale.
// Throws ReportDefinitionError for a bound that is no number.
QString toText(const ReportDefinition& definition, const QLocale& locale);

// A design read back on a catalogue.
struct Loaded {
    // Every catalogue field at its initial settings but those the design sets; bounds are
    // written in the user's locale again.
    ReportDefinition definition;
    // What the design names that the catalogue does not have, left out while the rest of the
    // design is loaded, each fit to show in a list: a field or sort field by the design's
    // name in quotes ("Colour"), a criterion of a kind its field no longer is ("the Less
    // Than criterion of "Amount"").
    QStringList leftOut;
};

// A design that cannot be read at all: not a design, written by a newer release, or holding
// a value of the wrong kind. The text says what is wrong and is fit to show after the
// design's name.
class DesignError : public std::runtime_error {
public:
    explicit DesignError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// Throws DesignError.
Loaded fromText(const QString& text, const ReportCatalogue& catalogue, const QLocale& locale);

// How the designer calls a report target ("Screen/Printer", "Text File", "Web Table (html)").
QString targetName(ReportTarget target);

} // namespace ReportDesign
