// The directory lookup over LDAP with the OpenLDAP client library. Only this
// file includes ldap.h.
#include "security/directory_groups.h"

#include <QByteArray>
#include <QCollator>
#include <QLocale>

#include <ldap.h>

#include <algorithm>
#include <csignal>
#include <memory>
#include <optional>

namespace {

/// Groups the directory hands over per request; servers cap one answer
/// (Active Directory at 1000 entries), so the search asks page by page.
constexpr int pageSize = 500;

/// The filter that selects groups: Active Directory's category, and the
/// group classes of OpenLDAP and other directories.
const char* const groupFilter =
    "(|(objectCategory=group)(objectClass=groupOfNames)(objectClass=groupOfUniqueNames)(objectClass=posixGroup))";

/// The Spanish reason for an LDAP result code.
QString reasonFor(int code)
{
    switch (code) {
    case LDAP_SERVER_DOWN:
        return QStringLiteral("No se pudo conectar con el servidor de directorio");
    case LDAP_TIMEOUT:
    case LDAP_TIMELIMIT_EXCEEDED:
        return QStringLiteral("El servidor de directorio no respondió a tiempo");
    case LDAP_INVALID_CREDENTIALS:
        return QStringLiteral("El usuario o la contraseña del directorio no son correctos");
    case LDAP_CONNECT_ERROR:
        return QStringLiteral("No se pudo establecer una conexión segura con el servidor de directorio");
    case LDAP_STRONG_AUTH_REQUIRED:
    case LDAP_CONFIDENTIALITY_REQUIRED:
    case LDAP_INAPPROPRIATE_AUTH:
        return QStringLiteral("El servidor de directorio exige una conexión segura o un usuario identificado");
    case LDAP_INSUFFICIENT_ACCESS:
        return QStringLiteral("El usuario del directorio no tiene permiso para consultar los grupos");
    case LDAP_NO_SUCH_OBJECT:
        return QStringLiteral("El directorio no tiene la rama que se consultó");
    case LDAP_BUSY:
    case LDAP_UNAVAILABLE:
        return QStringLiteral("El servidor de directorio no está disponible");
    case LDAP_UNWILLING_TO_PERFORM:
        return QStringLiteral("El servidor de directorio se negó a responder");
    default:
        return QStringLiteral("El servidor de directorio devolvió un error");
    }
}

/// One open connection; closed when the object goes.
class Connection {
public:
    Connection() = default;
    ~Connection()
    {
        if (handle_)
            ldap_unbind_ext_s(handle_, nullptr, nullptr);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    LDAP** place() { return &handle_; }
    LDAP* get() const { return handle_; }

    /// Our reason for `code`, with the library's text and the server's own
    /// words when it gave any.
    QString failure(int code) const
    {
        QString detail = QStringLiteral("código %1: %2").arg(code).arg(QString::fromUtf8(ldap_err2string(code)));
        char* diagnostic = nullptr;
        if (handle_ && ldap_get_option(handle_, LDAP_OPT_DIAGNOSTIC_MESSAGE, &diagnostic) == LDAP_OPT_SUCCESS
            && diagnostic) {
            const QString text = QString::fromUtf8(diagnostic).trimmed();
            if (!text.isEmpty())
                detail += QStringLiteral("; ") + text;
            ldap_memfree(diagnostic);
        }
        return reasonFor(code) + QStringLiteral(" (") + detail + QStringLiteral(").");
    }

private:
    LDAP* handle_ = nullptr;
};

/// A search result, freed when the object goes.
struct MessageFree {
    void operator()(LDAPMessage* message) const { ldap_msgfree(message); }
};
using Message = std::unique_ptr<LDAPMessage, MessageFree>;

/// The values of `attribute` of `entry` as texts.
QStringList valuesOf(LDAP* handle, LDAPMessage* entry, const char* attribute)
{
    QStringList texts;
    berval** values = ldap_get_values_len(handle, entry, attribute);
    if (!values)
        return texts;
    for (berval** value = values; *value; ++value)
        texts.append(QString::fromUtf8((*value)->bv_val, qsizetype((*value)->bv_len)));
    ldap_value_free_len(values);
    return texts;
}

QString distinguishedName(LDAP* handle, LDAPMessage* entry)
{
    char* dn = ldap_get_dn(handle, entry);
    const QString text = QString::fromUtf8(dn);
    ldap_memfree(dn);
    return text;
}

/// A server address as the library wants it: a bare host name gets
/// "ldap://" in front.
QByteArray uriOf(const QString& given)
{
    QStringList uris = given.simplified().split(QChar(' '), Qt::SkipEmptyParts);
    for (QString& uri : uris) {
        if (!uri.contains(QLatin1String("://")))
            uri.prepend(QStringLiteral("ldap://"));
    }
    return uris.join(QChar(' ')).toUtf8();
}

class Search {
public:
    explicit Search(const DirectorySettings& settings)
        : settings_(settings), timeout_{std::max(1, settings.timeoutSeconds), 0}
    {
    }

    /// Connects and signs in; the error text, or nothing.
    std::optional<QString> open()
    {
        const QByteArray uri = uriOf(settings_.uri);
        if (uri.isEmpty())
            return QStringLiteral("Falta la dirección del servidor de directorio.");
        if (ldap_initialize(connection_.place(), uri.constData()) != LDAP_SUCCESS || !connection_.get())
            return QStringLiteral("La dirección del servidor de directorio no es válida: ") + settings_.uri.trimmed();
        LDAP* handle = connection_.get();
        const int version = LDAP_VERSION3;
        ldap_set_option(handle, LDAP_OPT_PROTOCOL_VERSION, &version);
        // Active Directory refers a search of the domain to other servers;
        // following them would sign in there anonymously and wait again.
        ldap_set_option(handle, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
        // Both the connection and every synchronous request give up after
        // the timeout, so an unreachable directory never freezes the program.
        ldap_set_option(handle, LDAP_OPT_NETWORK_TIMEOUT, &timeout_);
        ldap_set_option(handle, LDAP_OPT_TIMEOUT, &timeout_);
        if (settings_.startTls) {
            const int code = ldap_start_tls_s(handle, nullptr, nullptr);
            if (code != LDAP_SUCCESS)
                return connection_.failure(code);
        }
        QByteArray dn = settings_.bindDn.trimmed().toUtf8();
        QByteArray password = settings_.password.toUtf8();
        // A name with an empty password is an "unauthenticated" bind, which
        // many servers quietly accept as anonymous: refuse it instead.
        if (!dn.isEmpty() && password.isEmpty())
            return QStringLiteral("Falta la contraseña del usuario del directorio.");
        berval credentials{ber_len_t(password.size()), password.data()};
        const int code = ldap_sasl_bind_s(handle, dn.isEmpty() ? nullptr : dn.constData(), LDAP_SASL_SIMPLE,
                                          &credentials, nullptr, nullptr, nullptr);
        if (code != LDAP_SUCCESS)
            return connection_.failure(code);
        return std::nullopt;
    }

    /// Where to search: the directory's default naming context or, when it
    /// publishes none (OpenLDAP), every naming context it holds.
    std::optional<QString> findBases(QStringList& bases)
    {
        char defaultContext[] = "defaultNamingContext";
        char namingContexts[] = "namingContexts";
        char* attributes[] = {defaultContext, namingContexts, nullptr};
        LDAPMessage* answer = nullptr;
        const int code = ldap_search_ext_s(connection_.get(), "", LDAP_SCOPE_BASE, "(objectClass=*)", attributes, 0,
                                           nullptr, nullptr, &timeout_, 0, &answer);
        const Message owned(answer);
        if (code != LDAP_SUCCESS)
            return connection_.failure(code);
        LDAPMessage* rootDse = ldap_first_entry(connection_.get(), answer);
        if (rootDse) {
            bases = valuesOf(connection_.get(), rootDse, defaultContext);
            if (bases.isEmpty())
                bases = valuesOf(connection_.get(), rootDse, namingContexts);
        }
        if (bases.isEmpty())
            return QStringLiteral("El servidor de directorio no publica ningún contexto de nombres.");
        return std::nullopt;
    }

    /// Adds the groups under `base` that pass `filter`, asking page by page.
    std::optional<QString> collect(const QString& base, const QByteArray& filter, QList<DirectoryGroup>& groups)
    {
        LDAP* handle = connection_.get();
        char nameAttribute[] = "name";
        char cnAttribute[] = "cn";
        char* attributes[] = {nameAttribute, cnAttribute, nullptr};
        const QByteArray baseText = base.toUtf8();
        berval cookie{0, nullptr};
        for (;;) {
            LDAPControl* page = nullptr;
            int code = ldap_create_page_control(handle, pageSize, cookie.bv_val ? &cookie : nullptr, 0, &page);
            ber_memfree(cookie.bv_val);
            cookie = {0, nullptr};
            if (code != LDAP_SUCCESS)
                return connection_.failure(code);
            LDAPControl* controls[] = {page, nullptr};
            LDAPMessage* answer = nullptr;
            code = ldap_search_ext_s(handle, baseText.constData(), LDAP_SCOPE_SUBTREE, filter.constData(), attributes,
                                     0, controls, nullptr, &timeout_, 0, &answer);
            ldap_control_free(page);
            const Message owned(answer);
            if (code != LDAP_SUCCESS && code != LDAP_SIZELIMIT_EXCEEDED)
                return connection_.failure(code);
            for (LDAPMessage* entry = ldap_first_entry(handle, answer); entry;
                 entry = ldap_next_entry(handle, entry)) {
                // Active Directory names every entry in `name`; other
                // directories name a group by its `cn`.
                QStringList names = valuesOf(handle, entry, nameAttribute);
                if (names.isEmpty())
                    names = valuesOf(handle, entry, cnAttribute);
                if (!names.isEmpty())
                    groups.append({names.first(), distinguishedName(handle, entry)});
            }
            if (code == LDAP_SIZELIMIT_EXCEEDED || !nextPage(answer, cookie))
                return std::nullopt;
        }
    }

private:
    /// Whether the server handed a cookie for another page (into `cookie`).
    bool nextPage(LDAPMessage* answer, berval& cookie)
    {
        LDAPControl** returned = nullptr;
        int result = LDAP_SUCCESS;
        if (ldap_parse_result(connection_.get(), answer, &result, nullptr, nullptr, nullptr, &returned, 0)
                != LDAP_SUCCESS
            || !returned)
            return false;
        bool more = false;
        if (LDAPControl* control = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, returned, nullptr)) {
            ber_int_t estimate = 0;
            more = ldap_parse_pageresponse_control(connection_.get(), control, &estimate, &cookie) == LDAP_SUCCESS
                   && cookie.bv_len > 0;
        }
        ldap_controls_free(returned);
        return more;
    }

    const DirectorySettings& settings_;
    timeval timeout_;
    Connection connection_;
};

}  // namespace

QString ldapFilterValue(const QString& text)
{
    QByteArray escaped;
    for (const char byte : text.toUtf8()) {
        switch (byte) {
        case '*':
            escaped += "\\2a";
            break;
        case '(':
            escaped += "\\28";
            break;
        case ')':
            escaped += "\\29";
            break;
        case '\\':
            escaped += "\\5c";
            break;
        case '\0':
            escaped += "\\00";
            break;
        default:
            escaped += byte;
        }
    }
    return QString::fromUtf8(escaped);
}

DirectoryAnswer findDirectoryGroups(const DirectorySettings& settings, const QString& text)
{
    // The library writes to its socket with write(): a server that has
    // closed the connection would end the whole program with SIGPIPE
    // instead of failing the request.
    static const bool pipeSignalIgnored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
    Q_UNUSED(pipeSignalIgnored);
    DirectoryAnswer answer;
    Search search(settings);
    if (std::optional<QString> failure = search.open()) {
        answer.error = *failure;
        return answer;
    }
    QStringList bases;
    if (std::optional<QString> failure = search.findBases(bases)) {
        answer.error = *failure;
        return answer;
    }
    QString filter = QString::fromLatin1(groupFilter);
    const QString value = ldapFilterValue(text.trimmed());
    if (!value.isEmpty())
        filter = QStringLiteral("(&%1(|(name=*%2*)(cn=*%2*)))").arg(filter, value);
    const QByteArray filterText = filter.toUtf8();
    for (const QString& base : std::as_const(bases)) {
        if (std::optional<QString> failure = search.collect(base, filterText, answer.groups)) {
            answer.groups.clear();
            answer.error = *failure;
            return answer;
        }
    }
    // Group names are Spanish: "Ñandú" comes after "Nube", not after "Zona".
    QCollator collator(QLocale(QLocale::Spanish, QLocale::Uruguay));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(answer.groups.begin(), answer.groups.end(),
                     [&collator](const DirectoryGroup& left, const DirectoryGroup& right) {
                         const int order = collator.compare(left.name, right.name);
                         return order != 0 ? order < 0 : left.path < right.path;
                     });
    return answer;
}
