#include "startup/main_menu.h"

namespace {

using T = PermissionTest;

const QList<MainMenuEntry> entries = {
    {"Bbancostr", "Principales", "Bancos transferencias", "", "WBANCOST", "WBancosTR", "BancosTR", T::Always},
    {"Basientos", "Principales", "Asientos", "Mantenimiento de la tabla de Asientos", "WASIENT1", "WAsient1", "Asientos", T::Position8},
    {"Busuarios", "Principales", "Usuarios", "Mantenimiento de la tabla de Usuarios", "WUSUARIO", "WUsuarios", "Usuarios", T::Position9IsS},
    {"Brubros", "Principales", "Rubros", "Mantenimiento de la tabla de Rubros Contables", "WRUBROS", "WRubros", "Rubros", T::Position8},
    {"Blugtrabaj", "Principales", "Lugares de trabajo", "Mantenimiento de la tabla de Lugares de Trabajo", "WLUGARST", "WLugarsTrabajo", "Lugarestrabajo", T::Position8},
    {"Bcategorias", "Principales", "Categorías", "", "WCATEGOR", "WCategor", "Categorias", T::Position8},
    {"Bcentrosco", "Principales", "Centros de costo", "Mantenimiento de la tabla de Centros de Costo", "WCENTROS", "WCentrosCosto", "CentrosCosto", T::Position8},
    {"Bconceptos", "Principales", "Conceptos", "Mantenimiento de la tabla de Conceptos de Liquidación", "WCONCEPT", "WConceptos", "Conceptos", T::Position7},
    {"Blugcobro", "Principales", "Lugares de cobro", "Mantenimiento de la tabla de Lugares de Cobro", "WLUGARSC", "WLugarsCobro", "LugaresCobro", T::Position8},
    {"Bcargos", "Principales", "Cargos", "Mantenimiento de la tabla de descripciones de Cargos", "WCARGOS", "WCargos", "Cargos", T::Position8},
    {"Bbasicos", "Principales", "Básicos", "Mantenimiento de la tabla de Valores Básicos", "WBASICOS", "WBasicos", "Basicos", T::Position8},
    {"Baumentos", "Principales", "Aumentos", "Mantenimiento de la tabla de Aumentos", "WTABLASA", "WTablasAumentos", "Aumentos", T::Position8},
    {"Batributos", "Otras", "Atributos adicionales", "Mantenimiento de atributos adicionales del funcionario y cargo", "WFUNATRI", "WFunAtributos", "Atributos", T::Position8AndClientServer},
    {"Brefaux", "Otras", "Referencias", "Mantenimiento de la tabla de Referencias", "WREFAUXI", "WRefAuxiliares", "ReferenciasAuxiliares", T::Position8},
    {"Bdiaslicencia", "Otras", "Días licencia", "Mantenimiento de la tabla de Días de Licencia", "WDIASSLI", "WDiassLicencia", "DiasLicencia", T::Position8},
    {"Bcodanotac", "Otras", "Códigos anotación", "Mantenimiento de la tabla de Códigos de Anotación para Fichas", "WCODIGOS", "WCodigos", "CodigosAnotacion", T::Position8},
    {"Bcalferiados", "Otras", "Calendario feriados", "Mantenimiento de la tabla de Calendario de Feriados", "WCALFER", "WCalFer", "CalFeriados", T::Position8},
    {"Bbilletesm", "Otras", "Billetes, monedas", "Mantenimiento de la tabla de Billetes y Monedas", "WBILLETE", "WBilletes", "BilletesMonedas", T::Position8},
    {"Bhorarios", "Otras", "Horarios", "Mantenimiento de la tabla de Horarios de Trabajo", "WHORARIO", "WHorarios", "Horarios", T::Position8},
    {"Blocales", "Otras", "Locales", "Mantenimiento de la tabla de Locales de la empresa", "WLOCALES", "WLocales", "Locales", T::Position8},
    {"Bobras", "Otras", "Obras", "Mantenimiento de la tabla de Obras en Construcción", "WOBRAS", "WObras", "Obras", T::Position8},
    {"Btipliquid", "Otras", "Tipos de liquidación", "Mantenimiento de la tabla de Tipos de Liquidación", "WTIPOSLI", "WTiposLiquidacion", "TiposLiquidacion", T::Position8},
};

const QStringList actionsOrder = {
    "Asientos", "Aumentos", "BancosTR", "Basicos", "Cargos", "CentrosCosto", "Conceptos", "LugaresCobro",
    "Lugarestrabajo", "Rubros", "Usuarios", "Categorias", "BilletesMonedas", "CalFeriados", "CodigosAnotacion",
    "DiasLicencia", "Horarios", "Locales", "Obras", "TiposLiquidacion", "ReferenciasAuxiliares", "Atributos",
};

// "Calendario feriados" opens the calendar panel under position 8, as the
// button of the same name does.
const QList<MenuBarEntry> menuBar = {
    {2, "Id_datos", "Tablas", 0, "", 0, ""},
    {3, "Id_acums_histricos", "Acumuladores históricos/liquidación", 2, "WACUMSHL", 7, ""},
    {4, "Id_aportes", "Aportes", 2, "WAPORTES", 7, ""},
    {5, "Id_asientos", "Asientos", 2, "WASIENT1", 8, ""},
    {6, "Id_tablas_de_aumentos", "Aumentos", 2, "WTABLASA", 8, ""},
    {7, "Id_bsicos", "Básicos", 2, "WBASICOS", 8, ""},
    {8, "Id_cargos", "Cargos", 2, "WCARGOS", 8, ""},
    {9, "Id_categoras", "Categorías", 2, "WCATEGOR", 8, ""},
    {10, "Id_centros_de_costo", "Centros de costo", 2, "WCENTROS", 8, ""},
    {11, "Id_conceptos", "Conceptos", 2, "WCONCEPT", 7, ""},
    {12, "Id_lugares_de_cobro", "Lugares de cobro", 2, "WLUGARSC", 8, ""},
    {13, "Id_lugares_de_trabajo", "Lugares de trabajo", 2, "WLUGARST", 8, ""},
    {14, "Id_rubros", "Rubros", 2, "WRUBROS", 8, ""},
    {15, "Id_usuarios", "Usuarios", 2, "WUSUARIO", 9, ""},
    {16, "Id_otras_tablas", "Otras Tablas", 2, "", 0, ""},
    {17, "Id_atributos_adicionales", "Atributos adicionales", 16, "WFUNATRI", 8, ""},
    {18, "Id_billetes_y_monedas", "Billetes y monedas", 16, "WBILLETE", 8, ""},
    {19, "Id_calendario_feriados", "Calendario feriados", 16, "WCALFER", 8, ""},
    {20, "Id_cdigos_de_anotacin", "Códigos de anotación", 16, "WCODIGOS", 8, ""},
    {21, "Id_das_licencia", "Días licencia", 16, "WDIASSLI", 8, ""},
    {22, "Id_horarios", "Horarios", 16, "WHORARIO", 8, ""},
    {23, "Id_locales", "Locales", 16, "WLOCALES", 8, ""},
    {24, "Id_obras", "Obras", 16, "WOBRAS", 8, ""},
    {25, "Id_tipos_de_liquidacin", "Tipos de liquidación", 16, "WTIPOSLI", 8, ""},
    // The report generator's list of reports, under the right "Emisión de informes".
    {35, "Id_generador_de_informes", "Generador de informes", 2, "WINFORME", 10, ""},
    {26, "Kq_help", "Ayuda", 0, "", 0, ""},
    {27, "Kq_arrange", "&Mosaico", 26, "", 0, ""},
    {28, "Kq_cascade", "&Cascada", 26, "", 0, ""},
    {29, "", "", 26, "", 0, ""},
    {30, "Id_novedades", "Novedades", 26, "", 0, "Ctrl+N"},
    {31, "Kq_index", "C&ontenido", 26, "", 0, ""},
    {32, "Kq_search", "&Buscar ...", 26, "", 0, ""},
    {33, "", "", 26, "", 0, ""},
    {34, "Kq_about", "&Acerca de", 26, "", 0, ""},
};

}  // namespace

bool permissionIs(const QString& permissions, int position, QChar letter)
{
    return permissions.size() >= position && permissions.at(position - 1) == letter;
}

const QList<MainMenuEntry>& mainMenuEntries()
{
    return entries;
}

const QStringList& actionsMenuOrder()
{
    return actionsOrder;
}

const MainMenuEntry* findMainMenuEntry(const QString& name)
{
    for (const MainMenuEntry& entry : entries) {
        if (entry.button.compare(name, Qt::CaseInsensitive) == 0 || entry.actionKey.compare(name, Qt::CaseInsensitive) == 0
            || entry.workPanel.compare(name, Qt::CaseInsensitive) == 0)
            return &entry;
    }
    return nullptr;
}

bool mainMenuAllows(const MainMenuEntry& entry, const QString& permissions, const QString& installationKind)
{
    switch (entry.permission) {
    case PermissionTest::Always:
        return true;
    case PermissionTest::Position7:
        return !permissionIs(permissions, 7, 'N');
    case PermissionTest::Position8:
        return !permissionIs(permissions, 8, 'N');
    case PermissionTest::Position9IsS:
        return permissionIs(permissions, 9, 'S');
    case PermissionTest::Position8AndClientServer:
        return !permissionIs(permissions, 8, 'N') && installationKind.trimmed() == "S";
    }
    return false;
}

QString mainMenuRefusal(const MainMenuEntry& entry, const QString& permissions, const QString& installationKind)
{
    if (mainMenuAllows(entry, permissions, installationKind))
        return {};
    if (entry.permission == PermissionTest::Position8AndClientServer && !permissionIs(permissions, 8, 'N'))
        return QStringLiteral("%1: solo en la instalación cliente/servidor").arg(entry.caption);
    return QStringLiteral("%1: su perfil no tiene permiso para esta opción").arg(entry.caption);
}

const QList<MenuBarEntry>& menuBarEntries()
{
    return menuBar;
}

bool menuBarAllows(const MenuBarEntry& entry, const QString& permissions)
{
    return entry.position == 0 || !permissionIs(permissions, entry.position, 'N');
}
