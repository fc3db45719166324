#include "Panel.h"

#include <QFile>

#include <cstdio>

const char* Panel::getClass()
{
    return "Panel";
}

// Shows that moc made the meta-object and rcc the resource.
void Panel::init(const char* base)
{
    Q_INIT_RESOURCE(panel);
    QFile resource(QStringLiteral(":/panel/resource.txt"));
    resource.open(QIODevice::ReadOnly);
    std::printf("init Panel (%s), meta-object %s, %s", base ? base : "-",
                staticMetaObject.className(), resource.readAll().constData());
}

void Panel::shutdown()
{
    std::printf("shutdown Panel\n");
}
