#pragma once
// What the windows need of the host-name cache: a name at once, and a signal when a look-up answers.
#include <QObject>
#include <QString>

namespace qb {

// Implemented by the host-name cache; the prompt and the details pane see only this. UI thread only.
class HostNames : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The known name of `address`, or the address itself while none is known (a look-up then starts).
    virtual QString CheckDictionary(const QString& address) = 0;

signals:
    void HostNameResolved(const QString& address, const QString& name);
};

} // namespace qb
