// Placeholder until the catalogue lands.
#include "app/Catalogue.h"
void SelectCatalogueLanguage() {}
void SetCatalogueLanguage(CatalogueLanguage) {}
CatalogueLanguage CurrentCatalogueLanguage() { return CatalogueLanguage::English; }
QString LoadMessage(int id, const QVariantList&) { return QStringLiteral("[%1]").arg(id); }
QString AppTitle() { return LoadMessage(5001); }
