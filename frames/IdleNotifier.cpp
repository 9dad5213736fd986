#include "IdleNotifier.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>

#include <glib.h>

#include <utility>

namespace kamsel::frames {

// An idle source that is ready while its notifier is armed. It stays attached
// for the notifier's life; readiness, not attachment, says whether it fires.
struct GlibIdleSource {
    GSource source;
    IdleNotifier* owner;

    static gboolean Prepare(GSource* source, gint* timeout) {
        *timeout = -1; // nothing to wake up for by itself
        return Owner(source).armed_;
    }
    static gboolean Check(GSource* source) { return Owner(source).armed_; }
    static gboolean Dispatch(GSource* source, GSourceFunc, gpointer) {
        IdleNotifier& owner = Owner(source);
        owner.armed_ = false;
        if (!owner.Notify())
            owner.armed_ = true;
        return G_SOURCE_CONTINUE;
    }
    static IdleNotifier& Owner(GSource* source) { return *reinterpret_cast<GlibIdleSource*>(source)->owner; }
};

namespace {

GSourceFuncs glibIdleSourceFuncs = {
    GlibIdleSource::Prepare, GlibIdleSource::Check, GlibIdleSource::Dispatch, nullptr, nullptr, nullptr};

} // namespace

IdleNotifier::IdleNotifier(Handler handler) : handler_(std::move(handler)) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread())
        return;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher == nullptr)
        return;
    // QPAEventDispatcherGlib derives from QEventDispatcherGlib; both run the
    // thread's glib main context. The Unix ones are QEventDispatcherUNIX and
    // its QPA subclass.
    if (dispatcher->inherits("QEventDispatcherGlib"))
        AttachGlibSource();
    else if (dispatcher->inherits("QEventDispatcherUNIX"))
        AttachAboutToBlock();
    else
        return;
    app->installEventFilter(this);
}

IdleNotifier::~IdleNotifier() {
    if (QCoreApplication* app = QCoreApplication::instance(); app != nullptr && mechanism_ != Mechanism::None)
        app->removeEventFilter(this);
    if (source_ != nullptr) {
        g_source_destroy(&source_->source);
        g_source_unref(&source_->source);
    }
    if (context_ != nullptr)
        g_main_context_unref(context_);
}

void IdleNotifier::AttachGlibSource() {
    // Qt makes its context the thread default while its dispatcher lives.
    context_ = g_main_context_ref_thread_default();
    GSource* source = g_source_new(&glibIdleSourceFuncs, sizeof(GlibIdleSource));
    source_ = reinterpret_cast<GlibIdleSource*>(source);
    source_->owner = this;
    g_source_set_priority(source, G_PRIORITY_DEFAULT_IDLE);
    g_source_set_name(source, "kamsel idle notification");
    g_source_attach(source, context_);
    mechanism_ = Mechanism::GlibIdleSource;
}

void IdleNotifier::AttachAboutToBlock() {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    connect(
        dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
        [this, dispatcher] {
            // A handler that is not done gets another turn: the wake-up makes
            // the loop come round again without waiting.
            if (!Notify())
                dispatcher->wakeUp();
        },
        Qt::DirectConnection);
    mechanism_ = Mechanism::AboutToBlock;
}

bool IdleNotifier::Notify() noexcept {
    bool done = true;
    handler_(done);
    waiting_.store(true, std::memory_order_release);
    return done;
}

bool IdleNotifier::eventFilter(QObject*, QEvent*) {
    // Every event passes here: store only on a change, so the flag's cache
    // line is not written for each one while a producer thread reads it.
    if (waiting_.load(std::memory_order_relaxed))
        waiting_.store(false, std::memory_order_release);
    armed_ = true;
    return false;
}

} // namespace kamsel::frames
