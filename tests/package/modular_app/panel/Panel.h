#pragma once

#include <QObject>

// A listed class that is a QObject as well: moc makes its meta-object.
class Panel : public QObject
{
    Q_OBJECT

public:
    static const char* getClass();
    static void init(const char* base);
    static void shutdown();
};
