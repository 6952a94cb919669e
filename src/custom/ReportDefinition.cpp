#include "custom/ReportDefinition.h"

ReportDefinition ReportDefinition::withDefaults(const ReportCatalogue& catalogue) {
    ReportDefinition definition;
    definition.catalogue = catalogue;
    definition.settings.resize(catalogue.count());
    for (const CatalogueField& field : catalogue.fields()) {
        FieldSettings& settings = definition.settingsOf(field.specId);
        settings.ColWidth = field.defwidth;
        settings.IsCurrency = field.isCurrency;
    }
    return definition;
}

double ReportDefinition::twipsPerUnit() const {
    return widthUnit == WidthUnit::Inches ? TwipsPerInch : TwipsPerCentimeter;
}

bool ReportDefinition::hasVisibleField() const {
    for (int specId : fields) {
        if (!settingsOf(specId).Hide)
            return true;
    }
    return false;
}
