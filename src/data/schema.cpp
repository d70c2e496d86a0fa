#include "data/schema.h"

#include <QHash>

#include <algorithm>

// One add() per table: its fields with their storage types, then its indexes
// with their key fields in order. The primary index holds the table's key and
// is unique; a secondary index orders the rows by what its users seek on and
// allows repeated values.
//
// A text field's size is the longest value its form accepts; 0 leaves it
// unbounded. A field that the payroll system only copies or compares gets the
// type of the key it holds (a concept code is a 16-bit integer like ConId)
// or of the values its form stores ("S"/"N" flags and one-letter codes are
// one-character texts); the comments beside the less obvious ones say which.

namespace {

FieldDef integer(const QString& name) { return {name, FieldType::Integer, 0}; }
FieldDef longInteger(const QString& name) { return {name, FieldType::Long, 0}; }
FieldDef real(const QString& name) { return {name, FieldType::Double, 0}; }
FieldDef currency(const QString& name) { return {name, FieldType::Currency, 0}; }
FieldDef date(const QString& name) { return {name, FieldType::Date, 0}; }
FieldDef text(const QString& name, int size = 0) { return {name, FieldType::Text, size}; }
FieldDef memo(const QString& name) { return {name, FieldType::Memo, 0}; }

/// The table's key: the index a transaction seeks its record through.
IndexDef primary(const QString& name, const QStringList& fields)
{
    return {name, fields, true, true};
}

IndexDef secondary(const QString& name, const QStringList& fields)
{
    return {name, fields, false, false};
}

QList<TableDef> buildTables()
{
    QList<TableDef> tables;
    const auto add = [&tables](const char* name, const char* description,
                               QList<FieldDef> fields, QList<IndexDef> indexes) {
        tables.append({QString::fromUtf8(name), QString::fromUtf8(description),
                       std::move(fields), std::move(indexes)});
    };

    // ---- Tables that this program maintains -------------------------------

    add("ACUMHL", "Acumuladores",
        {text("AcuConteni", 1), text("AcuDesc", 30),
         integer("AcuDesde"),      // first month of the period
         text("AcuExAdela", 1),
         text("AcuExLiqAc", 1),    // "S"/"N" flag
         integer("AcuHasta"),      // last month of the period
         integer("AcuId"), text("AcuPeriodo", 1), text("AcuTLId", 1), text("AcuTipo", 1),
         integer("ConId")},        // a concept code, like every ConId
        {primary("IACUMHL", {"AcuTipo", "AcuId"}),
         secondary("IACUMHL1", {"AcuTLId"})});

    add("APOCON", "Aportes condicionales",
        {text("ApCDes", 30), integer("ApCId")},
        {primary("IAPOCON", {"ApCId"})});

    add("APORTE", "Grupos de aportes",
        {text("AporDesc", 30), integer("AporId")},
        {primary("IGRAVANT", {"AporId"})});

    // The lines of a group are keyed by IGRAVAN1, the partner of the group's
    // IGRAVANT; IAPORTE1 is sought with a conditional contribution code when
    // that contribution is deleted, so it orders by that code.
    add("APORTE1", "Líneas de grupos de aportes",
        {integer("AporApCId"), integer("AporConId"), integer("AporId"),
         currency("AporPorGra")},
        {primary("IGRAVAN1", {"AporId", "AporConId"}),
         secondary("IAPORTE1", {"AporApCId"})});

    add("ASIENT4", "Cálculos de líneas de asientos",
        {text("AsiCalculo", 1), text("AsiConGrup"), integer("AsiCorLin"), real("AsiDiv"),
         longInteger("AsiId"), integer("AsiLin"), real("AsiMult"), integer("ConId")},
        {primary("IASIENT5", {"AsiId", "AsiLin", "AsiCorLin"}),
         secondary("IASIENT6", {"ConId"})});

    add("ASIENTO", "Asientos contables",
        {text("AsiDesc", 50), longInteger("AsiId"), text("AsiProvisi", 1)},
        {primary("IASIENTO", {"AsiId"})});

    add("ASIENTO1", "Líneas de asientos contables",
        {text("AsiApCC", 1), text("AsiConcept"), text("AsiDH", 1), text("AsiDetalle"),
         longInteger("AsiId"), integer("AsiLin"), text("AsiMarA", 1), text("AsiMarB", 1),
         integer("AsiUltCorL"), text("AsiValor", 1), text("CCId", 12), real("RubId")},
        {primary("IASIENT1", {"AsiId", "AsiLin"}),
         secondary("IASIENT2", {"RubId"}),
         secondary("IASIENT3", {"CCId"})});

    add("AUDITORI", "Auditoría",
        {real("AudCorrela"), integer("AudLinea"), date("AudFecha"), text("AudHora", 8),
         text("UsuNombre", 20), integer("TarCodigo"), text("AudDescrip", 200),
         longInteger("AudFunId")},
        {primary("IAUDITOR", {"AudCorrela", "AudLinea"})});

    add("AUMENTO", "Tablas de aumentos",
        {text("AumDesc", 30), integer("AumId")},
        {primary("IAUMENTO", {"AumId"})});

    add("AUMENTO1", "Líneas de tablas de aumentos",
        {date("AumFch"), integer("AumId"), text("AumObs", 50), real("AumPor")},
        {primary("IAUMENT1", {"AumId", "AumFch"})});

    add("BANCOSTR", "Bancos para transferencias",
        {text("BanBIC", 11), text("BanDscTR", 50), integer("BanIdTR")},
        {primary("IBANCOST", {"BanIdTR"})});

    add("BASICOS", "Básicos",
        {text("BasDesc", 50), integer("BasId")},
        {primary("IBASICOS", {"BasId"})});

    // One value per basic, position, cost centre and auxiliary reference: the
    // import seeks a value on those four and rewrites its validity date.
    add("BASICOS1", "Valores de básicos",
        {text("BasClasif", 20), integer("BasId"), real("BasImp"), real("BasImpAnt"),
         date("BasVigenci"), text("CCId", 12), integer("CarId"), text("RefAuxId", 15)},
        {primary("IBASICO", {"BasId", "CarId", "CCId", "RefAuxId"}),
         secondary("IBASICO1", {"RefAuxId"}),
         secondary("IBASICO2", {"CCId"}),
         secondary("IBASICO3", {"CarId"})});

    add("BILLETES", "Billetes",
        {currency("BilValor")},
        {primary("IBILLETE", {"BilValor"})});

    add("CALFER", "Calendarios de feriados",
        {text("CalFerDsc", 30), text("CalFerId", 2)},
        {primary("ICALFER", {"CalFerId"})});

    add("CALFER1", "Feriados",
        {text("CalFchDesc", 30), date("CalFerFch"), text("CalFerId", 2)},
        {primary("ICALFER1", {"CalFerId", "CalFerFch"})});

    add("CAMPOS", "Campos de informes",
        {text("CamDes", 50), integer("CamId"), text("CamText"), text("CamTipo", 1),
         integer("CamGrupo"),       // subject group number
         integer("CamOrden"),       // order inside the group
         text("CamSumar", 1),       // "S" when summable
         text("CamTabla"),          // table expression
         text("CamPLEdici", 30),    // picture
         text("CamAtribut", 1)},    // "S" for employee attributes
        {primary("ICAMPOS", {"CamId"})});

    add("CARGOS", "Cargos",
        {text("CarDesc1", 30), text("CarDesc2", 30), integer("CarId")},
        {primary("ICARGOS", {"CarId"})});

    add("CATEGORI", "Categorías",
        {text("CatDesc", 30), integer("CatId")},
        {primary("ICATEGOR", {"CatId"})});

    add("CENTROCO", "Centros de costo",
        {text("CCDesc", 30), text("CCId", 12), text("CCIdExt", 12)},
        {primary("ICENTROC", {"CCId"})});

    // Flags of a concept are "S"/"N" texts and its code lists one character
    // or a small number, as the concept form stores them.
    add("CONCEPT", "Conceptos",
        {integer("AporId"), integer("BasIdAFAP"), integer("BasIdBPC"), integer("BasIdTope"),
         text("ConAcReite", 1), integer("ConActivo"), text("ConAcuHist", 1),
         text("ConAcuLiqu", 1), text("ConAguinal", 1), text("ConAplica", 1),
         text("ConBenSoci", 1), text("ConCCId", 12), text("ConCant", 1), text("ConCant0", 1),
         text("ConCantHL", 1), text("ConClase", 1), text("ConColecti", 1),
         text("ConConcCB", 10), integer("ConConcFoc"), text("ConConcHL", 1),
         real("ConConvJor"), real("ConDLGD"), real("ConDLGM"), real("ConDLLD"), real("ConDLLM"),
         text("ConDLicGoz", 1), text("ConDLicLiq", 1), real("ConDTD"), real("ConDTM"),
         text("ConDesc", 30), integer("ConDescont"), text("ConDetModi", 1),
         text("ConDiasHab", 1), text("ConDiasTra", 1), integer("ConExe20No"),
         text("ConExpande", 1), text("ConFicCod", 6), text("ConFijo", 1), integer("ConForma"),
         real("ConFracc"), text("ConGlobal", 1), integer("ConGraCC"), text("ConGrupo", 10),
         integer("ConId"), text("ConImp0", 1), text("ConImpCant", 1), text("ConImpRec", 1),
         text("ConImpRet", 1), text("ConIncVora", 1), memo("ConInfTecn"),
         integer("ConIrpfDed"), text("ConL17829", 1), text("ConLinAdLi"), text("ConLiquido", 1),
         text("ConMonExtr", 1), memo("ConNotas"), integer("ConOrdinal"), integer("ConPBId"),
         integer("ConPideSub"), text("ConPlanRec", 1), real("ConPorGrav"),
         real("ConPorR1"), real("ConPorR10"), real("ConPorR2"), real("ConPorR3"),
         real("ConPorR4"), real("ConPorR5"), real("ConPorR6"), real("ConPorR7"),
         real("ConPorR8"), real("ConPorR9"), integer("ConPriorid"), integer("ConRefAuxi"),
         text("ConVoranM", 1), text("ConSumariz", 1), integer("ConTipo"),
         integer("ConUltCanL"), integer("ConUltOpeL")},
        {primary("ICONCEPT", {"ConId"}),
         secondary("ICONCEP1", {"AporId"}),
         secondary("ICONCEP3", {"BasIdAFAP"}),
         secondary("ICONCE14", {"BasIdBPC"}),
         secondary("ICONCE16", {"ConFicCod"}),
         secondary("ICONCE19", {"ConCCId"}),
         secondary("ICONCE20", {"BasIdTope"})});

    add("CONCEPT1", "Líneas de cálculo de importe",
        {integer("BasId"), integer("ConId"), integer("ConIdImp"), text("OpeAPar"),
         text("OpeAnio"), integer("OpeAporId"), text("OpeCCosto"), text("OpeCPar"),
         text("OpeCargo"), integer("OpeDiv"),
         real("OpeImpLine"), real("OpeImpParc"),  // as the quantity lines' twins
         integer("OpeLin"), currency("OpeMult"), integer("OpeNro"), text("OpeObserva"),
         text("OpeOpe"), text("OpeRefAux"), text("OpeUsar")},
        {primary("ICONCEP2", {"ConId", "OpeLin"}),
         secondary("ICONCE10", {"BasId", "OpeLin", "ConId"}),
         secondary("ICONCE15", {"OpeAporId"}),
         secondary("ICONCE17", {"ConIdImp"})});

    add("CONCEPT2", "Expansión de conceptos",
        {integer("ConId"), integer("ExpConId")},
        {primary("ICONCEP5", {"ConId", "ExpConId"})});

    add("CONCEPT3", "Acumuladores de conceptos",
        {integer("AcuId"), text("AcuTipo", 1),
         integer("BasId"),  // a basic's number, like every BasId
         currency("ConAcuMult"), text("ConAcuOpe", 1), integer("ConId")},
        {primary("ICONCEP7", {"ConId", "AcuTipo", "AcuId"}),
         secondary("ICONCEP8", {"AcuTipo", "AcuId", "ConId"})});  // an accumulator's concepts, in order

    add("CONCEPT4", "Líneas de cálculo de cantidad",
        {integer("BasId"), text("CanAPar"), text("CanAnio"), text("CanCCosto"),
         text("CanCPar"), text("CanCargo"), integer("CanDiv"), real("CanImpLine"),
         real("CanImpParc"), integer("CanLin"), currency("CanMult"), integer("CanNro"),
         text("CanObserva"), text("CanOpe"), text("CanRefAux"), text("CanUsar"),
         integer("ConId"), integer("ConIdCant")},
        {primary("ICONCE11", {"ConId", "CanLin"}),
         secondary("ICONCE12", {"BasId", "CanLin", "ConId"}),
         secondary("ICONCE18", {"ConIdCant"})});

    add("CONCEPT5", "Aplicación de conceptos",
        {integer("ConAplId"), text("ConAplValo"), integer("ConId")},
        {primary("ICONCE21", {"ConId", "ConAplId"})});

    // CfFranja1..10 are the limits, in BPC units, of the IRP brackets that the
    // concept form shows beside the retention percentages.
    add("CONFIGUR", "Configuración de la empresa",
        {text("CfEmpresa", 50), integer("CfId"), integer("CfRedRCon"),
         currency("CfVersion"), text("PLTLId", 1),
         real("CfFranja1"), real("CfFranja2"), real("CfFranja3"), real("CfFranja4"),
         real("CfFranja5"), real("CfFranja6"), real("CfFranja7"), real("CfFranja8"),
         real("CfFranja9"), real("CfFranja10")},
        {primary("ICONFIGU", {"CfId"}),
         secondary("ICONFIG1", {"CfRedRCon"}),
         secondary("ICONFIG2", {"PLTLId"})});

    add("DIASLIC1", "Líneas de días de licencia",
        {integer("DiLAnios"), integer("DiLDias"), integer("DiLId")},
        {primary("IDIASLI1", {"DiLId", "DiLAnios"})});

    add("DIASLICE", "Días de licencia",
        {integer("DiLId"), text("DilDesc", 30)},
        {primary("IDIASLIC", {"DiLId"})});

    add("FICCOD", "Códigos de anotación",
        {integer("FicAutoges"), text("FicCod", 6), text("FicDesc", 30),
         integer("FicPerCons"), integer("FicReConf")},
        {primary("IFICCOD", {"FicCod"})});

    add("FORMATOP", "Formato de planilla",
        {integer("FPCol"), integer("FPConId"), text("FPId", 10)},
        {secondary("IFORMAT1", {"FPConId"})});

    add("FUNATRIB", "Atributos adicionales",
        {text("FunAAyuda"), text("FunAClasif", 20), integer("FunADecima"),
         text("FunADescri", 50), integer("FunAId"), integer("FunALongit"),
         text("FunAMayusc", 1),  // "S"/"N"
         text("FunAObliga", 1),  // "S"/"N"
         text("FunATabla", 1), text("FunATipo", 2),
         text("FunAValIni"),     // the suggested value as typed
         text("FunAValida")},    // the validation expression
        {primary("IFUNATRI", {"FunAId"})});

    add("FUNATRVA", "Valores de atributos adicionales",
        {integer("FunAId"), integer("FunAL"), date("FunAValF"), real("FunAValN"),
         text("FunAValor", 200), longInteger("FunId")},
        {primary("IFUNATRV", {"FunId", "FunAL", "FunAId"}),
         secondary("IFUNATR1", {"FunAId"})});

    add("HORARIOS", "Horarios",
        {text("HorDesc", 30), integer("HorId")},
        {primary("IHORARIO", {"HorId"})});

    add("INFORME", "Informes del generador",
        {integer("InfCarId"), integer("InfCategor"), text("InfDes", 60), text("InfDetRes", 1),
         integer("InfId"), date("InfUltEjec")},
        {primary("IINFORME", {"InfId"}),
         secondary("IINFOR11", {"InfCarId"})});

    add("INFORME1", "Columnas de informes",
        {integer("CamId"), currency("InfAncho"), integer("InfCorCamp"), integer("InfCorte"),
         integer("InfId")},
        {primary("IINFORM1", {"InfId", "InfCorCamp"})});

    add("INFORME2", "Clasificación de informes",
        {integer("CamId"), integer("InfCorClas"), integer("InfId"), text("InfSubtot", 1)},
        {primary("IINFORM2", {"InfId", "InfCorClas"}),
         secondary("IINFORM3", {"CamId"})});

    add("INFORME3", "Filtros de informes",
        {integer("CamId"),
         integer("ConId"),  // a concept code
         text("InfCondici"), integer("InfCorFilt"),
         text("InfFijoEmi", 1), integer("InfId"), text("InfNot", 1)},
        {primary("IINFORM7", {"InfId", "InfCorFilt"}),
         secondary("IINFORM4", {"CamId"})});

    add("INFORME4", "Columnas calculadas de informes",
        {integer("CamId"), text("InfCalF1"), integer("InfCalId"), text("InfCalTitu", 30),
         integer("InfId"),
         text("InfCalF2"), text("InfCalF3"),  // parameters of the kind, like InfCalF1
         text("InfCalForm"),                   // the formula
         text("InfCalAuxi"), text("InfConteni")},
        {primary("IINFORM5", {"InfId", "InfCalId"})});

    add("INFORME5", "Carpetas de informes",
        {text("InfCarDes", 30), integer("InfCarId")},
        {primary("IINFOR14", {"InfCarId"})});

    // The locale's codes come from the installation's code lists and are kept
    // as the texts chosen there; its dates are whole days.
    add("LOCALES", "Locales",
        {text("GruCod", 10), text("LocCPostal", 10), text("LocDeparta", 30),
         text("LocDesc", 50), text("LocFax", 20), date("LocFchCier"), date("LocFchInic"),
         integer("LocId"), text("LocLocalid", 50), text("LocNroKm", 10), memo("LocObserva"),
         text("LocPlaTrab", 20), text("LocTelefon", 20), text("SubgruCod", 10)},
        {primary("ILOCALES", {"LocId"})});

    add("LUGARCOB", "Lugares de cobro",
        {text("CobDesc", 30), integer("CobId"), text("LugEnsob", 3)},
        {primary("ILUGARCO", {"CobId"})});

    add("LUGARTRA", "Lugares de trabajo",
        {text("TraDesc", 30), integer("TraId"), text("TraPerfile", 50)},
        {primary("ILUGARTR", {"TraId"})});

    // Holder and works data are codes and numbers as the payroll's social
    // security forms print them, so they are kept as text; the percentages
    // are numbers.
    add("OBRAS", "Obras",
        {text("ObrCiuuTit", 10), text("ObrCodApor", 10), text("ObrDeparta", 20),
         text("ObrDigCont", 1), text("ObrDireccO", 60), text("ObrDireccT", 60),
         text("ObrEMail", 60), text("ObrEstado", 1), text("ObrFaxTit", 20),
         text("ObrForma", 1), text("ObrId", 12), currency("ObrNro"), text("ObrNroCont", 12),
         text("ObrNroEmpr", 12), text("ObrPerCont", 30), text("ObrPinFoce", 10),
         real("ObrPorAUC"), real("ObrPorAucP"), real("ObrPorCCM"), text("ObrRazonSo", 60),
         text("ObrTelTit", 20), text("ObrTipoApo", 2), text("ObrTipoCon", 2),
         text("ObrTipoVen", 2)},
        {primary("IOBRAS", {"ObrId"})});

    add("PARAMETR", "Parámetros",
        {integer("ParIndice"), text("ParParamet", 20), text("ParTabla", 20),
         text("ParValorCa", 255), date("ParValorFe"), real("ParValorNu")},
        {primary("IPARAMET", {"ParTabla", "ParParamet", "ParIndice"})});

    add("PARLIQX", "Conceptos que no se repiten",
        {integer("CfId"), text("PLTLId", 1), integer("PLConIdExc")},
        {primary("IPARLIQX", {"CfId", "PLTLId", "PLConIdExc"}),
         secondary("IPARLIQ1", {"PLConIdExc"}),
         secondary("IPARLIQ2", {"PLTLId", "CfId", "PLConIdExc"})});  // a type's exceptions, as its form lists them

    add("PERFILES", "Perfiles",
        {text("PrfClave", 20), integer("PrfCorrela"), text("PrfDatos", 282),
         text("PrfGruLDAP", 100), integer("PrfJerarqu")},
        {primary("IPERFILE", {"PrfClave"})});

    add("PHDEF2", "Planilla horizontal",
        {integer("ConId"), integer("PHCol"), integer("PHId")},
        {secondary("IPHDEF21", {"ConId"})});

    add("REFAUXIL", "Referencias auxiliares",
        {text("RefAuxDesc", 30), text("RefAuxId", 15), integer("RefAuxInac")},
        {primary("IREFAUXI", {"RefAuxId"})});

    add("RUBROS", "Rubros",
        {text("RubDesc", 30), real("RubId"), text("RubIdExt", 20), integer("RubMon")},
        {primary("IRUBROS", {"RubId"})});

    add("TIPLIQUI", "Tipos de liquidación",
        {text("TLAdelanto", 1), text("TLAguinald", 1), integer("TLConIdAgu"),
         integer("TLConIdDes"), integer("TLConIdNeg"), integer("TLConIdRes"),
         real("TLConResRe"),       // rounding of the summary concept
         text("TLDesc", 30),
         text("TLDtoSinHa", 1), text("TLId", 1), text("TLIdDescue", 1),
         text("TLIncTodas", 1), text("TLL17829", 1), text("TLModoRep", 1),
         text("TLMovBenef", 1),    // "S"/"N" flags and one-letter codes
         text("TLNegativo", 1), text("TLRechazos", 1), text("TLRepetir", 1),
         text("TLResumir", 1), memo("TlNotas")},
        {primary("ITIPLIQU", {"TLId"}),
         secondary("ITIPLIQ2", {"TLConIdRes"}),
         secondary("ITIPLIQ3", {"TLConIdNeg"}),
         secondary("ITIPLIQ4", {"TLConIdDes"}),
         secondary("ITIPLIQ5", {"TLConIdAgu"})});

    add("USUARIOS", "Usuarios",
        {text("UsuDatos", 72), text("UsuNombre", 20), date("UsuContraF")},
        {primary("IUSUARIO", {"UsuNombre"})});

    // ---- Payroll data that other programs write ----------------------------
    // This program reads them for reference checks and rewrites their codes
    // when a code changes. Fields that those checks and rewrites name but the
    // layout above leaves out are added with the type of the key they hold.

    add("AUMENTF", "Aumentos aplicados",
        {date("AufFch"), text("AufObs", 50), integer("FunAL"), longInteger("FunId")},
        {});

    add("CARGOSCC", "Centros de costo de cargos",
        {integer("FunAL"), text("FunCCId", 12), currency("FunCCPorc"), longInteger("FunId")},
        {primary("ICARGOFU", {"FunId", "FunAL", "FunCCId"}),
         secondary("ICARGOF1", {"FunCCId"})});

    // FunTraId is the position's place of work, sought through ICARGOS2 when
    // a place of work is deleted.
    add("CARGOSFU", "Cargos de funcionarios",
        {integer("AumId"), text("CalFerId", 2), integer("DiLId"), integer("FunAL"),
         integer("FunCarId"), integer("FunCatId"), date("FunFecBaja"), date("FunFecIngr"),
         longInteger("FunId"), integer("PTCarId"), integer("PTConId"), integer("FunTraId")},
        {primary("ICARGOSF", {"FunId", "FunAL"}),
         secondary("ICARGOS1", {"AumId"}),
         secondary("ICARGOS2", {"FunTraId"}),
         secondary("ICARGOS3", {"PTConId"}),
         secondary("ICARGOS4", {"FunCarId"}),
         secondary("ICARGOS6", {"FunCatId"}),
         secondary("ICARGOS7", {"PTCarId"}),
         secondary("ICARGOS8", {"DiLId"}),
         secondary("ICARGOS9", {"CalFerId"})});

    add("CRONOGRA", "Cronogramas",
        {text("CroCCId", 12), date("CroFecha"), longInteger("CroFunId"), text("CroGHId", 10),
         integer("CroNroJorn")},
        {secondary("ICRONOG4", {"CroCCId"})});

    add("FICHA", "Ficha de funcionarios",
        {text("FicCod", 6),
         longInteger("FicCorrel"),  // correlative of the annotation
         longInteger("FunId")},
        {secondary("IFICHA1", {"FicCod"})});

    // FunHorId, FunCobId, FunLocId and FunApCId are the employee's schedule,
    // place of payment, locale and conditional contribution, sought through
    // IFUNCIO1, IFUNCIO4, IFUNCIO8 and IFUNCIO6 before those codes are deleted.
    add("FUNCIONA", "Funcionarios",
        {text("FunActEgr", 1),
         text("FunApe1", 30), text("FunApe2", 30),  // surnames and first name
         text("FunApeNom", 60), longInteger("FunId"),
         text("FunNom1", 30),
         integer("FunPConId"),
         integer("FunHorId"), integer("FunCobId"), integer("FunLocId"), integer("FunApCId")},
        {primary("IFUNCION", {"FunId"}),
         secondary("ALFABETI", {"FunApeNom"}),
         secondary("IFUNCIO1", {"FunHorId"}),
         secondary("IFUNCIO4", {"FunCobId"}),
         secondary("IFUNCIO5", {"FunPConId"}),
         secondary("IFUNCIO6", {"FunApCId"}),
         secondary("IFUNCIO8", {"FunLocId"})});

    add("GRUPOSHO", "Grupos de horarios",
        {text("GHCalFerId", 2), text("GHId", 10)},
        {secondary("IGRUPOS2", {"GHCalFerId"})});

    add("HISLIQ", "Historia de liquidaciones",
        {longInteger("HLCorLiq"), text("HLTLId", 1)},
        {secondary("IHISLIQ1", {"HLTLId"})});

    // MovRefAuxi and HTLId are the auxiliary reference and the run type of a
    // historic movement, sought through IHISTOR5 and IHISTOR6.
    add("HISTORIA", "Historia de movimientos",
        {longInteger("FunId"), integer("HCobId"), integer("HConId"), integer("HCorLin"),
         longInteger("HCorLiq"), currency("HMovImp"), text("HMovTipo", 1), date("HPLFch"),
         text("MovCCId", 12), integer("MovCarId"), text("MovRefAuxi", 15), text("HTLId", 1)},
        {primary("IHISTORI", {"FunId", "HCorLiq", "HCorLin"}),
         secondary("IHISTOR1", {"MovCarId"}),
         secondary("IHISTOR2", {"MovCCId"}),
         secondary("IHISTOR3", {"HCobId"}),
         secondary("IHISTOR4", {"HConId"}),
         secondary("IHISTOR5", {"MovRefAuxi"}),
         secondary("IHISTOR6", {"HTLId"})});

    // The nine concept fields are concept codes; the concept delete seeks
    // them from IHORMAR9 (normal hours) down to IHORMAR1.
    add("HORMARCA", "Conceptos de marcas",
        {integer("HMConCLT"), integer("HMConDiaFa"), integer("HMConHENoc"),
         integer("HMConHExtr"), integer("HMConHNoc"), integer("HMConHNor"),
         integer("HMConHsFal"), integer("HMConJorna"), integer("HMConMLT"),
         integer("HMId")},
        {primary("IHORMARC", {"HMId"}),
         secondary("IHORMAR1", {"HMConMLT"}),
         secondary("IHORMAR2", {"HMConCLT"}),
         secondary("IHORMAR3", {"HMConHsFal"}),
         secondary("IHORMAR4", {"HMConDiaFa"}),
         secondary("IHORMAR5", {"HMConJorna"}),
         secondary("IHORMAR6", {"HMConHENoc"}),
         secondary("IHORMAR7", {"HMConHNoc"}),
         secondary("IHORMAR8", {"HMConHExtr"}),
         secondary("IHORMAR9", {"HMConHNor"})});

    // Rewritten by SQL only when a concept code changes.
    add("LIQUIDAC", "Liquidaciones",
        {longInteger("FunId"), longInteger("LCorLiq"), integer("LConId"), currency("LImporte")},
        {});

    add("MOVIMIEN", "Movimientos",
        {integer("ConId"), longInteger("FunId"), text("MovCCId", 12), integer("MovCarId"),
         longInteger("MovId"), currency("MovImp"), text("MovRefAuxi", 15), text("MovTLId", 1)},
        {primary("IMOVIMIE", {"MovId"}),
         secondary("IMOVIMI1", {"MovCarId"}),
         secondary("IMOVIMI2", {"MovCCId"}),
         secondary("IMOVIMI4", {"ConId"}),
         secondary("IMOVIMI6", {"MovTLId"}),
         secondary("IMOVIMI7", {"MovRefAuxi"})});

    // Rewritten by SQL only when a concept code changes.
    add("MOVNUEVO", "Movimientos nuevos",
        {longInteger("FunId"), longInteger("MonId"), integer("MonConId"), currency("MonImp")},
        {});

    add("REMUNERA", "Remuneraciones",
        {integer("FunAL"), longInteger("FunId"), integer("RemCarId"), longInteger("RemCorre"),
         integer("RemLocId")},
        {secondary("IREMUNE2", {"RemCarId"}),
         secondary("IREMUNE3", {"RemLocId"})});

    // ---- This program's own bookkeeping ------------------------------------

    // One row (VerId 1) with the schema version the database was last
    // brought to; a database without it is version 0.
    add("KQVERSIO", "Versión del esquema",
        {integer("VerId"), integer("VerNumero")},
        {primary("IKQVERSI", {"VerId"})});

    return tables;
}

}  // namespace

const int Schema::currentVersion = 1;

const FieldDef* TableDef::field(const QString& name) const
{
    for (const FieldDef& candidate : fields) {
        if (candidate.name.compare(name, Qt::CaseInsensitive) == 0)
            return &candidate;
    }
    return nullptr;
}

const IndexDef* TableDef::index(const QString& name) const
{
    for (const IndexDef& candidate : indexes) {
        if (candidate.name.compare(name, Qt::CaseInsensitive) == 0)
            return &candidate;
    }
    return nullptr;
}

const IndexDef* TableDef::primaryIndex() const
{
    for (const IndexDef& candidate : indexes) {
        if (candidate.primary)
            return &candidate;
    }
    return nullptr;
}

const QList<TableDef>& Schema::tables()
{
    static const QList<TableDef> all = [] {
        QList<TableDef> built = buildTables();
        std::sort(built.begin(), built.end(), [](const TableDef& left, const TableDef& right) {
            return left.name < right.name;
        });
        return built;
    }();
    return all;
}

const TableDef* Schema::table(const QString& name)
{
    static const QHash<QString, const TableDef*> byName = [] {
        QHash<QString, const TableDef*> map;
        for (const TableDef& table : tables())
            map.insert(table.name.toUpper(), &table);
        return map;
    }();
    return byName.value(name.toUpper(), nullptr);
}

bool isNumericType(FieldType type)
{
    switch (type) {
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::Double:
    case FieldType::Currency:
    case FieldType::YesNo:
        return true;
    case FieldType::Date:
    case FieldType::Text:
    case FieldType::Memo:
        return false;
    }
    return false;
}
