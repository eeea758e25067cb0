#pragma once

#include <QObject>

// A non-visual component that asks a question in a message box and turns the
// answer into one of its signals.
class TZpravy : public QObject
{
    Q_OBJECT
public:
    explicit TZpravy(QObject *parent = nullptr) : QObject(parent) {}

signals:
    void yes();
    void no();
    void cancel();
    void ok();
};
