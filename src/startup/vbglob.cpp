#include "startup/vbglob.h"

namespace {

QHash<QString, QString>& store()
{
    static QHash<QString, QString> values;
    return values;
}

QString normalised(const QString& key)
{
    return key.toCaseFolded();
}

}  // namespace

namespace VBGlob {

void put(const QString& key, const QString& value)
{
    store().insert(normalised(key), value);
}

QString get(const QString& key)
{
    return store().value(normalised(key));
}

void clear()
{
    store().clear();
}

}  // namespace VBGlob
