#include "register/RegisterLocation.h"

#include "app/Catalogue.h"
#include "app/DataFolders.h"
#include "app/MessageIds.h"

#include <QDir>
#include <QUrl>
#include <QUrlQuery>

namespace InstrumentRegister {

namespace {

bool IsPostgresUrl(const QString& text) {
    return text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

// "user[:password]@host[:port]/database[?host=...&port=...]", read by hand:
// the host may be empty (a socket folder given in the query).
bool ParsePostgres(const QString& text, Location* l, QString* error) {
    QString rest = text.mid(text.indexOf(QLatin1String("://")) + 3);
    QString query;
    if (const int q = rest.indexOf(QLatin1Char('?')); q >= 0) {
        query = rest.mid(q + 1);
        rest = rest.left(q);
    }
    const int slash = rest.indexOf(QLatin1Char('/'));
    QString authority = slash >= 0 ? rest.left(slash) : rest;
    l->database = slash >= 0 ? QUrl::fromPercentEncoding(rest.mid(slash + 1).toUtf8()) : QString();
    if (const int at = authority.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QString userInfo = authority.left(at);
        authority = authority.mid(at + 1);
        const int colon = userInfo.indexOf(QLatin1Char(':'));
        l->user = QUrl::fromPercentEncoding(userInfo.left(colon).toUtf8());
        if (colon >= 0)
            l->password = QUrl::fromPercentEncoding(userInfo.mid(colon + 1).toUtf8());
    }
    if (const int colon = authority.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        bool ok = false;
        l->port = authority.mid(colon + 1).toInt(&ok);
        if (!ok || l->port <= 0 || l->port > 65535) {
            *error = LoadMessage(kMsgRegisterBadLocation, {text});
            return false;
        }
        authority = authority.left(colon);
    }
    l->host = QUrl::fromPercentEncoding(authority.toUtf8());
    const QUrlQuery items(query);
    if (items.hasQueryItem(QStringLiteral("host")))
        l->host = items.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    if (items.hasQueryItem(QStringLiteral("port")))
        l->port = items.queryItemValue(QStringLiteral("port")).toInt();
    if (l->database.isEmpty()) {
        *error = LoadMessage(kMsgRegisterBadLocation, {text});
        return false;
    }
    l->kind = Location::Kind::PostgreSQL;
    return true;
}

} // namespace

QString Location::Describe() const {
    switch (kind) {
    case Kind::SQLite:
        return QDir::toNativeSeparators(path);
    case Kind::PostgreSQL:
        return QStringLiteral("postgresql://%1@%2%3/%4")
            .arg(user, host, port > 0 ? QStringLiteral(":%1").arg(port) : QString(), database);
    case Kind::None:
        break;
    }
    return {};
}

bool ParseLocation(const QString& text, Location* location, QString* error) {
    *location = Location();
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        *error = LoadMessage(kMsgRegisterBadLocation, {text});
        return false;
    }
    if (IsPostgresUrl(t))
        return ParsePostgres(t, location, error);
    location->kind = Location::Kind::SQLite;
    location->path = QDir::cleanPath(QDir::current().absoluteFilePath(t));
    return true;
}

Location DefaultLocation() {
    Location l;
    l.kind = Location::Kind::SQLite;
    l.path = QDir(SharedDataFolder()).filePath(QString::fromLatin1(kRegisterFileName));
    return l;
}

bool ChooseLocation(bool disabled, const QString& option, bool emulated, Location* location,
                    QString* error) {
    if (disabled) {
        *location = Location();
        return true;
    }
    if (!option.isEmpty())
        return ParseLocation(option, location, error);
    const QString fromEnvironment = qEnvironmentVariable(kRegisterEnvironment);
    if (!fromEnvironment.isEmpty())
        return ParseLocation(fromEnvironment, location, error);
    *location = emulated ? Location() : DefaultLocation();
    return true;
}

} // namespace InstrumentRegister
