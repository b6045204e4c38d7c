#include "core/storage/PostgresAddress.h"

#include <QRegularExpression>
#include <QUrl>
#include <libpq-fe.h>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace tovin::PostgresAddress {

namespace {

struct OptionsDeleter {
    void operator()(PQconninfoOption* options) const { PQconninfoFree(options); }
};
using Options = std::unique_ptr<PQconninfoOption, OptionsDeleter>;

// The address as libpq reads it; nothing when libpq cannot read it. Its complaint is dropped
// unread: it quotes the piece it stumbled on, which may be a piece of the password.
Options parsed(const QString& uri) {
    char* complaint = nullptr;
    Options options(PQconninfoParse(uri.trimmed().toUtf8().constData(), &complaint));
    PQfreemem(complaint);
    return options;
}

std::optional<QByteArray> given(const Options& options, const char* keyword) {
    for (const PQconninfoOption* option = options.get(); option && option->keyword; ++option)
        if (qstrcmp(option->keyword, keyword) == 0 && option->val)
            return QByteArray(option->val);
    return std::nullopt;
}

bool isUri(const QString& text) {
    return text.startsWith(u"postgresql://"_s, Qt::CaseInsensitive) ||
           text.startsWith(u"postgres://"_s, Qt::CaseInsensitive);
}

// The user part as written: up to the last "@" with no "=" before it (an "@" after one is a
// parameter's). That is where the user meant it to end even when an "@", "/" or "?" in the
// password is not encoded, which libpq would split elsewhere.
QString rawUserInfo(const QString& uri) {
    const qsizetype start = uri.indexOf(u"://"_s) + 3;
    const qsizetype equals = uri.indexOf(u'=', start);
    const qsizetype at = uri.lastIndexOf(u'@', equals < 0 ? -1 : equals - uri.size() - 1);
    return at < start ? QString() : uri.mid(start, at - start);
}

QString writtenPassword(const QString& uri) {
    const QString userInfo = rawUserInfo(uri);
    const qsizetype colon = userInfo.indexOf(u':');
    return colon < 0 ? QString() : userInfo.mid(colon + 1);
}

const QRegularExpression& keywordPassword() {
    static const QRegularExpression pattern(uR"((?:^|[\s?&])password\s*=)"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    return pattern;
}

} // namespace

Parameters connectParameters(const QString& uri) {
    const QByteArray address = uri.trimmed().toUtf8();
    Parameters parameters{{"dbname", address}};
    const Options options = parsed(uri);
    const auto unlessGiven = [&](const char* keyword, const QByteArray& value) {
        if (!given(options, keyword))
            parameters.append({keyword, value});
    };
    if (!qEnvironmentVariableIsSet("PGCONNECT_TIMEOUT"))
        unlessGiven("connect_timeout", QByteArray::number(ConnectSeconds));
    unlessGiven("keepalives", "1");
    unlessGiven("keepalives_idle", "20");
    unlessGiven("keepalives_interval", "10");
    unlessGiven("keepalives_count", "3");
    unlessGiven("tcp_user_timeout", QByteArray::number(UserTimeoutMs));
    return parameters;
}

std::optional<QString> unreadable(const QString& uri) {
    const QString address = uri.trimmed();
    const QString hint = u" Write an @ in the user name or password as %40, a / as %2F, a ? as "
                         u"%3F, or better give the password through PGPASSWORD or ~/.pgpass."_s;
    if (isUri(address)) {
        const QString userInfo = rawUserInfo(address);
        for (const QChar splitter : {u'@', u'/', u'?', u'#'})
            if (userInfo.contains(splitter))
                return u"The address of the catalogue server cannot be read: its user name or "
                       u"password holds a character that splits it."_s +
                       hint;
    }
    if (!parsed(address))
        return u"The address of the catalogue server cannot be read."_s + hint;
    return std::nullopt;
}

bool hasPassword(const QString& location) {
    const QString address = location.trimmed();
    if (const Options options = parsed(address))
        if (const std::optional<QByteArray> password = given(options, "password"))
            return !password->isEmpty();
    if (isUri(address))
        return !writtenPassword(address).isEmpty() || address.contains(keywordPassword());
    // Not an address libpq can read: only a "password=" in it tells.
    return address.contains(u'=') && address.contains(keywordPassword());
}

QString scrubbed(const QString& message, const QString& uri) {
    QStringList secrets;
    if (const std::optional<QByteArray> password = given(parsed(uri), "password"))
        secrets << QString::fromUtf8(*password);
    if (isUri(uri.trimmed())) {
        const QString written = writtenPassword(uri.trimmed());
        secrets << written << QUrl::fromPercentEncoding(written.toUtf8());
    }
    QString text = message;
    for (const QString& secret : std::as_const(secrets))
        if (!secret.isEmpty())
            text.replace(secret, u"***"_s);
    return text;
}

} // namespace tovin::PostgresAddress
