#pragma once

#include <QMetaType>
#include <QString>

// Where a running skin import is: which of the four videos, and how far along it is.
struct ImportProgress
{
    Q_GADGET
    Q_PROPERTY(int current MEMBER current)
    Q_PROPERTY(int total MEMBER total)
    Q_PROPERTY(QString message MEMBER message)
    Q_PROPERTY(int percentage MEMBER percentage)
    Q_PROPERTY(int videoIndex MEMBER videoIndex)

public:
    int current = 1;
    int total = 4;
    QString message;
    int percentage = 0;
    int videoIndex = 1;

    bool operator==(const ImportProgress&) const = default;
};

Q_DECLARE_METATYPE(ImportProgress)
