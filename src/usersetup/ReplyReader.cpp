#include "usersetup/ReplyReader.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <system_error>

#include "port/ParPortCtl.h"
#include "port/RecvQueue.h"
#include "printer/PrinterFacts.h"

namespace korva::usersetup {

namespace {
constexpr auto kPollPause = std::chrono::milliseconds(10);
}

ReplyReader::ReplyReader(QObject* parent) : QObject(parent) {}

ReplyReader::~ReplyReader() { Stop(); }

bool ReplyReader::Launch(std::function<void()> body) {
    Stop();
    if (m_FailNextStart) {
        m_FailNextStart = false;
        return false;
    }
    m_Stop = false;
    m_Done = false;
    m_Parser.Reset();
    try {
        m_Thread = std::thread([this, body = std::move(body)] {
            body();
            m_Done = true;
            m_Wake.notify_all();
        });
    } catch (const std::system_error&) {
        m_Done = true;
        return false;
    }
    return true;
}

bool ReplyReader::StartParallel(port::ParPortCtl& source) {
    m_Queue = nullptr;
    return Launch([this, &source] {
        while (!m_Stop) {
            int status = 0;
            const uint8_t byte = source.GetByte(status);
            if (status == -1) {
                FeedHeld();
                if (IdleOrStop()) break;
                continue;
            }
            Feed(byte);
        }
    });
}

bool ReplyReader::StartQueue(port::CRecvQueue& source) {
    m_Queue = &source;
    return Launch([this, &source] {
        while (!m_Stop) {
            if (source.IsEmpty()) {
                FeedHeld();
                if (IdleOrStop()) break;
                continue;
            }
            Feed(source.Get());
        }
    });
}

bool ReplyReader::DiscardPending() {
    if (m_Queue == nullptr) return false;
    port::CRecvQueue& source = *m_Queue;
    // With the reader stopped this thread is the queue's only consumer.
    Stop();
    source.DiscardAll();
    return StartQueue(source);
}

bool ReplyReader::IdleOrStop() {
    std::unique_lock lock(m_Mutex);
    m_Wake.wait_for(lock, kPollPause, [this] { return m_Stop.load() || m_NewBytes; });
    m_NewBytes = false;
    return m_Stop.load();
}

void ReplyReader::Wake() {
    {
        std::lock_guard lock(m_Mutex);
        m_NewBytes = true;
    }
    m_Wake.notify_all();
}

void ReplyReader::Feed(uint8_t byte) {
    const uint8_t one[1] = {byte};
    for (uint8_t b : m_Filter.Feed(one, 0)) Parse(b);
    if (m_Filter.BlocksSeen() > 0) {
        std::lock_guard lock(m_StatusMutex);
        m_LastStatus = m_Filter.LastStatus();
    }
}

void ReplyReader::FeedHeld() {
    for (uint8_t b : m_Filter.Release(0, true)) Parse(b);
}

// Between replies the only answer the printer gives is its model ID.
void ReplyReader::Parse(uint8_t byte) {
    if (m_Parser.Idle() && byte != ReplyParser::kHeader) {
        if (printer::FindModelId(byte) && (!m_ModelId || *m_ModelId == byte)) {
            m_ModelId = byte;
            ++m_ModelIdAnswers;
        }
        return;
    }
    if (auto reply = m_Parser.Feed(byte)) Deliver(*reply);
}

std::optional<std::array<uint8_t, 4>> ReplyReader::LastStatus() const {
    std::lock_guard lock(m_StatusMutex);
    return m_LastStatus;
}

void ReplyReader::Deliver(const SettingReply& reply) {
    if (m_Stop) return;
    // The owner's thread handles the reply while this thread waits. Stop()
    // keeps handling these calls until the thread has ended, so the wait
    // always ends.
    QMetaObject::invokeMethod(
        this,
        [this, reply] {
            if (!m_Stop && m_Handler) m_Handler(reply);
        },
        Qt::BlockingQueuedConnection);
}

void ReplyReader::Stop() {
    if (!m_Thread.joinable()) return;
    {
        std::lock_guard lock(m_Mutex);
        m_Stop = true;
    }
    m_Wake.notify_all();
    const bool ownerThread = QThread::currentThread() == thread();
    while (!m_Done) {
        // A reply being handed over waits for this thread: let it through.
        if (ownerThread) QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        std::unique_lock lock(m_Mutex);
        m_Wake.wait_for(lock, std::chrono::milliseconds(2), [this] { return m_Done.load(); });
    }
    m_Thread.join();
}

}  // namespace korva::usersetup
