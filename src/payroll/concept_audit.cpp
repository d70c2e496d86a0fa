// The audit sentence of the concept form. A new concept is told whole:
// code, description, status and one phrase per field in a fixed order. A
// modified one names only the fields whose value differs from what was
// loaded, in the same order; nothing is written when none differs.
#include "payroll/concept_rules.h"

#include "payroll/concepts.h"

#include <QHash>

#include <algorithm>
#include <functional>

using namespace Qt::StringLiterals;

namespace Concept {

namespace {

/// One phrase of the sentence: the fields it tells of and how it reads.
struct Phrase {
    QStringList fields;
    std::function<QString(const Transaction& form)> text;
};

QString textOf(const Transaction& form, const QString& name)
{
    return form.value(name).toString().trimmed();
}

int codeOf(const Transaction& form, const QString& name)
{
    return int(form.value(name).toLongLong());
}

/// A number as the sentence shows it: no trailing zeros ("10", "2.5").
QString numberText(double value)
{
    // Four decimals, then the zeros at the end and a point left bare go.
    QString text = QString::number(value, 'f', 4);
    if (!text.contains(u'.'))
        return text;
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == u'0')
        --end;
    if (end > 0 && text.at(end - 1) == u'.')
        --end;
    text.truncate(end);
    return text;
}

QString numberOf(const Transaction& form, const QString& name)
{
    return numberText(form.value(name).toDouble());
}

QString yesNo(bool yes)
{
    return yes ? u"Sí"_s : u"No"_s;
}

/// A phrase of one field: the prefix and the value as stored.
Phrase plain(const QString& field, const QString& prefix)
{
    return {{field}, [field, prefix](const Transaction& form) {
                 const QVariant value = form.value(field);
                 const bool numeric = value.metaType().id() != QMetaType::QString;
                 return prefix + (numeric ? numberText(value.toDouble()) : value.toString().trimmed());
             }};
}

Phrase yesNoPhrase(const QString& field, const QString& prefix)
{
    return {{field}, [field, prefix](const Transaction& form) { return prefix + yesNo(textOf(form, field) == u"S"_s); }};
}

/// A phrase whose words depend on the code; a code not listed says nothing.
Phrase byCode(const QString& field, const QString& prefix, const QHash<QString, QString>& words,
              const QString& otherwise = {})
{
    return {{field}, [field, prefix, words, otherwise](const Transaction& form) {
                 const QVariant value = form.value(field);
                 const QString code = value.metaType().id() == QMetaType::QString ? value.toString().trimmed().toUpper()
                                                                                  : numberText(value.toDouble());
                 const QString word = words.value(code, otherwise);
                 return word.isEmpty() ? QString() : prefix + word;
             }};
}

QString className(const Transaction& form)
{
    static const QHash<QString, QString> names = {
        {u"S"_s, u"Sueldo mensual"_s}, {u"J"_s, u"Jornal"_s},   {u"H"_s, u"Hora extra jornalero"_s},
        {u"A"_s, u"Aguinaldo"_s},      {u"F"_s, u"Ficto"_s},    {u"M"_s, u"Montepío"_s},
        {u"R"_s, u"IRP"_s}};
    const QString code = textOf(form, u"ConClase"_s).toUpper();
    if (code == u"O"_s && form.mode() == Mode::Update)
        return u"Otros hechos generadores"_s;
    return names.value(code, u"Otros"_s);
}

QString workHistoryText(const Transaction& form)
{
    static const QHash<QString, QString> lowerCase = {
        {u""_s, u"no se informa"_s},
        {u"1"_s, u"1-monto imponible mensual"_s},
        {u"2"_s, u"2-aguinaldo"_s},
        {u"3"_s, u"3-otros hechos generadores"_s},
        {u"7"_s, u"7-Partidas con aporte patronal jubilatorio gradual"_s},
        {u"M"_s, u"7-Partidas con ap. patr. jub.grad. (ficto < real)"_s},
        {u"N"_s, u"7-Partidas con ap. patr. jub.grad. (ficto > real)"_s}};
    const QString code = textOf(form, u"ConConcHL"_s).toUpper();
    if (lowerCase.contains(code))
        return lowerCase.value(code);
    return form.text(u"ConConcHL"_s);
}

QString annotationText(const Transaction& form)
{
    const QString code = textOf(form, u"ConFicCod"_s);
    if (code.isEmpty())
        return {};
    // The description shown beside the code, read when the confirm checked it.
    return u", Código de anotación = "_s + code + u"-"_s + form.referenceDescription(form.position(u"ConFicCod"_s));
}

QString contributionGroupText(const Transaction& form)
{
    const int group = codeOf(form, u"AporId"_s);
    if (group == 0)
        return {};
    return u", grupo de aportes = "_s + QString::number(group) + u" - "_s
           + form.referenceDescription(form.position(u"AporId"_s));
}

const QList<Phrase>& phrases()
{
    static const QList<Phrase> all = [] {
        QList<Phrase> list = {
            byCode(u"ConTipo"_s, u", tipo = "_s,
                   {{u"1"_s, u"Haber"_s}, {u"2"_s, u"Descuento de ley"_s}, {u"3"_s, u"Descuento"_s}}),
            {{u"ConAguinal"_s}, [](const Transaction& form) {
                 const QString code = textOf(form, u"ConAguinal"_s).toUpper();
                 if (code == u"G"_s)
                     return u", genera aguinaldo por lo gravado"_s;
                 if (code == u"T"_s)
                     return u", genera aguinaldo por el total"_s;
                 return u", no genera aguinaldo"_s;
             }},
            {{u"ConClase"_s}, [](const Transaction& form) { return u", clase = "_s + className(form); }},
            {{u"ConPBId"_s}, [](const Transaction& form) {
                 const int code = codeOf(form, u"ConPBId"_s);
                 return code == 0 ? QString() : u", concepto para pago de retención judicial = "_s + QString::number(code);
             }},
            byCode(u"ConCant"_s, {},
                   {{u"C"_s, u", lleva cantidad"_s}, {u"P"_s, u", lleva porcentaje"_s}, {u"N"_s, u", no lleva cantidad"_s}}),
            byCode(u"ConFracc"_s, u", fracción = "_s, {{u"0.6"_s, u"60 minutos"_s}, {u"0.8"_s, u"8 horas"_s}},
                   u"decimal"_s),
            plain(u"ConCant0"_s, u", admite cantidad cero = "_s),
            yesNoPhrase(u"ConFijo"_s, u", puede ser fijo = "_s),
            plain(u"ConDetModi"_s, u", descripción modificable = "_s),
            {{u"ConPorGrav"_s}, [](const Transaction& form) {
                 return u", gravado en un = "_s + numberOf(form, u"ConPorGrav"_s) + u"%"_s;
             }},
            {{u"AporId"_s}, &contributionGroupText},
        };
        for (int bracket = 1; bracket < bracketCount; ++bracket)
            list << plain(percentageField(bracket), u", porcentaje de retención franja %1 = "_s.arg(bracket));
        list << plain(u"BasIdTope"_s, u", tope imponible = "_s)
             << plain(u"BasIdAFAP"_s, u", tope imponible jubilado AFAP = "_s)
             << byCode(u"ConMonExtr"_s, u", moneda = "_s, {{u"N"_s, u"nacional"_s}, {u"E"_s, u"extranjera"_s}})
             << byCode(u"ConLiquido"_s, u", nominal/líquido = "_s, {{u"N"_s, u"nominal"_s}, {u"L"_s, u"líquido"_s}})
             << plain(u"ConPriorid"_s, u", prioridad = "_s)
             << byCode(u"ConImp0"_s, u", importe calculado 0 = "_s,
                       {{u"C"_s, u"acepta con aviso"_s}, {u"S"_s, u"acepta sin aviso"_s}, {u"I"_s, u"ignora movimiento"_s}})
             << byCode(u"ConDescont"_s, u", descontar = "_s,
                       {{u"1"_s, u"siempre"_s}, {u"2"_s, u"sólo si alcanza"_s}, {u"3"_s, u"parcial"_s}})
             << plain(u"ConConvJor"_s, u", coeficiente conv. a jornales = "_s)
             << plain(u"ConPBId"_s, u", Concepto para pago al beneficiario = "_s)
             << plain(u"ConRefAuxi"_s, u", Referencia = "_s)
             << plain(u"ConGraCC"_s, u", No graba C. Costo = "_s)
             << byCode(u"ConCantHL"_s, u", cantidad para historia laboral en = "_s,
                       {{u"M"_s, u"meses"_s}, {u"D"_s, u"días"_s}, {u"H"_s, u"horas"_s}})
             << Phrase{{u"ConConcHL"_s},
                       [](const Transaction& form) { return u", concepto para historia laboral = "_s + workHistoryText(form); }}
             << byCode(u"ConConcFoc"_s, u", concepto para focer = "_s,
                       {{u"0"_s, u"0-No se informa"_s}, {u"11"_s, u"1-Imp. mensual-Haberes del mes"_s},
                        {u"12"_s, u"1-Imp. mensual-Otros haberes"_s}, {u"2"_s, u"2-Aguinaldo"_s},
                        {u"3"_s, u"3-Dif laudo"_s}, {u"4"_s, u"4-Licencia"_s}, {u"5"_s, u"5-Adicional"_s},
                        {u"91"_s, u"1-Imp. mensual-Tickets"_s}, {u"92"_s, u"2-Aguinaldo-Tickets"_s},
                        {u"93"_s, u"3-Dif. laudo-Tickets"_s}, {u"94"_s, u"4-Licencia-Tickets"_s},
                        {u"95"_s, u"5-Adicional-Tickets"_s}})
             << Phrase{{u"ConConcCB"_s},
                       [](const Transaction& form) {
                           return u", concepto para caja bancaria = "_s + bankFundItemText(textOf(form, u"ConConcCB"_s));
                       }}
             << byCode(u"ConL17829"_s, u", Ley 17829 (líquido mínimo 30%) = "_s,
                       {{u"N"_s, u"no se aplica"_s}, {u"L"_s, u"controla líquido"_s}, {u"C"_s, u"controla líquido"_s},
                        {u"M"_s, u"calcula líquido mínimo"_s}})
             << byCode(u"ConExe20No"_s, u", Control de exceso del 20% no gravado = "_s,
                       {{u"1"_s, u"No incide"_s}, {u"2"_s, u"Materia gravada"_s}, {u"3"_s, u"Suma exenta"_s}})
             << byCode(u"ConIrpfDed"_s, {},
                       {{u"0"_s, u", No es deducción IRPF"_s}, {u"1"_s, u", Deducción IRPF = Aporte personal BPS"_s},
                        {u"2"_s, u", Deducción IRPF = Cajas de auxilio"_s},
                        {u"3"_s, u", Deducción IRPF = Deducción calculada"_s}})
             << yesNoPhrase(u"ConBenSoci"_s, u", beneficio social = "_s)
             << Phrase{{u"ConSumariz"_s},
                       [](const Transaction& form) {
                           return u", sumariza variables = "_s + yesNo(!textOf(form, u"ConSumariz"_s).isEmpty());
                       }}
             << yesNoPhrase(u"ConAcReite"_s, u", acepta reiteración en siguiente liquidación = "_s)
             << Phrase{{u"ConPlanRec"_s},
                       [](const Transaction& form) {
                           return u", incluye en recibos y planillas = "_s + yesNo(!textOf(form, u"ConPlanRec"_s).isEmpty());
                       }}
             << yesNoPhrase(u"ConImpRet"_s, u", imprime porcentaje de retención = "_s)
             << yesNoPhrase(u"ConImpCant"_s, u", imprime cantidad en recibos = "_s)
             << plain(u"ConDTM"_s, u", acumular cantidad para días trabajados multiplicada por = "_s)
             << plain(u"ConDTD"_s, u", acumular cantidad para días trabajados dividida por = "_s)
             << plain(u"ConDLGM"_s, u", acumular cantidad para días de licencia gozada multiplicada por = "_s)
             << plain(u"ConDLGD"_s, u", acumular cantidad para días de licencia gozada dividida por = "_s)
             << plain(u"ConDLLM"_s, u", acumular cantidad para días de licencia liquidada multiplicada por = "_s)
             << plain(u"ConDLLD"_s, u", acumular cantidad para días de licencia liquidada dividida por = "_s)
             << plain(u"ConNotas"_s, u", notas = "_s)
             << plain(u"ConColecti"_s, u", movimientos colectivos = "_s)
             << plain(u"ConLinAdLi"_s, u", Texto período de licencia = "_s)
             << Phrase{{u"ConImpRec"_s},
                       [](const Transaction& form) {
                           return u", Imprime texto licencia en recibos = "_s
                                  + (textOf(form, u"ConImpRec"_s) == u"S"_s ? u"Si"_s : u"No"_s);
                       }}
             << byCode(u"ConForma"_s, u", Anota en legajo forma = "_s,
                       {{u"1"_s, u"Forma 1"_s}, {u"2"_s, u"Forma 2"_s}, {u"3"_s, u"Forma 3"_s}, {u"4"_s, u"Forma 4"_s}})
             << Phrase{{u"ConFicCod"_s}, &annotationText};
        return list;
    }();
    return all;
}

bool changedAt(const Transaction& form, int at)
{
    const QVariant& now = form.valueAt(at);
    const QVariant& before = form.recordValueAt(at);
    if (now.metaType() == before.metaType() && now == before)
        return false;
    if (now.metaType().id() == QMetaType::QString)
        return now.toString().trimmed() != before.toString().trimmed();
    return now.toDouble() != before.toDouble();
}

bool fieldChanged(const Transaction& form, const QString& field)
{
    return changedAt(form, form.position(field));
}

QString codeText(const Transaction& form)
{
    return QString::number(form.value(u"ConId"_s).toLongLong());
}

}  // namespace

QString auditText(const Transaction& form)
{
    switch (form.mode()) {
    case Mode::Insert: {
        QString sentence = u"Agrega concepto "_s + codeText(form) + u"."_s + u" Descripción = "_s
                           + textOf(form, u"ConDesc"_s)
                           + (codeOf(form, u"ConActivo"_s) == 1 ? u" Concepto = Activo "_s : u" Concepto = Inactivo "_s);
        for (const Phrase& phrase : phrases())
            sentence += phrase.text(form);
        return sentence;
    }
    case Mode::Update: {
        if (form.screenMatchesRecord())
            return {};
        QString changes;
        if (fieldChanged(form, u"ConDesc"_s))
            changes += u", descripción = "_s + textOf(form, u"ConDesc"_s);
        // The status has no phrase of its own in a new concept's sentence
        // (it stands beside the description); a change of it is told too.
        if (fieldChanged(form, u"ConActivo"_s))
            changes += codeOf(form, u"ConActivo"_s) == 1 ? u", concepto = Activo"_s : u", concepto = Inactivo"_s;
        // Every concept form places the phrases' fields alike: their places
        // are found once.
        static const QList<QList<int>> places = [&form] {
            QList<QList<int>> made;
            for (const Phrase& phrase : phrases()) {
                QList<int>& fields = made.emplace_back();
                for (const QString& field : phrase.fields)
                    fields << form.position(field);
            }
            return made;
        }();
        for (qsizetype at = 0; at < phrases().size(); ++at) {
            const QList<int>& fields = places.at(at);
            if (std::any_of(fields.begin(), fields.end(), [&](int place) { return changedAt(form, place); }))
                changes += phrases().at(at).text(form);
        }
        if (changes.isEmpty())
            return {};
        return u"Modifica concepto "_s + codeText(form) + changes;
    }
    case Mode::Delete:
        return u"Elimina concepto "_s + codeText(form) + u"."_s + u" Descripción = "_s + textOf(form, u"ConDesc"_s);
    case Mode::Display:
        return {};
    }
    return {};
}

}  // namespace Concept
