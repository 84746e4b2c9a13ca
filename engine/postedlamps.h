#pragma once

// Lamps switched from any thread and shown on the user-interface thread: each change is
// queued to the thread of a context object (the main window), in order, without waiting.
// The context must outlive every caller (close the element clock first); changes still
// queued when it is destroyed are dropped.

#include "engine/keyinglines.h"

#include <QMetaObject>
#include <QObject>

#include <functional>
#include <utility>

class PostedKeyingLamps final : public KeyingLamps {
public:
    using Show = std::function<void(bool on)>;

    PostedKeyingLamps(QObject *context, Show ptt, Show cw)
        : context_(context), ptt_(std::move(ptt)), cw_(std::move(cw))
    {
    }

    void SetPTTLamp(bool on) override { post(ptt_, on); }
    void SetCWLamp(bool on) override { post(cw_, on); }

private:
    void post(const Show &show, bool on)
    {
        if (show)
            QMetaObject::invokeMethod(context_, [show, on] { show(on); }, Qt::QueuedConnection);
    }

    QObject *context_;
    Show ptt_;
    Show cw_;
};
