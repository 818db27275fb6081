#pragma once
// The editor wired to the simulated Zelto 2 in-process: whatever the editor
// sends reaches the synth at once, and the synth's answers come back through
// the editor's SysEx input on the sending thread, or, from a synth set to
// answer late, on the thread whose sleep moves the virtual clock past their
// time. Time is virtual, so a request cycle of twenty delays runs in
// milliseconds.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>

#include "EditorFixture.h"
#include "IGraphicsStructs.h"
#include "Zelto2Synth.h"
#include "support/LiveThreads.h"

class SimEditor : public FixtureEditor {
public:
    struct Sent {
        uint32_t timeMs;
        zelto2sim::Bytes bytes;
        std::string progress;  // what the progress overlay counted when it left
    };

    // The workers call into this class: they are stopped and joined before its members go.
    ~SimEditor() override
    {
        if (clockHook)
            *clockHook = nullptr;
        lateMs = 0;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_late.clear();
        }
        release();
        delete midiMessageManager;
        midiMessageManager = nullptr;
    }

    bool SendMidiSysex(unsigned char* data, int size) override
    {
        zelto2sim::Bytes message(data, data + size);
        if (message.empty() || message.front() != 0xF0) {
            message.insert(message.begin(), 0xF0);
            message.push_back(0xF7);
        }
        return deliver(message);
    }
    bool SendMidiSysex2(std::vector<unsigned char> bytes) override { return deliver(bytes); }
    bool SendMidiMsg(IMidiMsg* msg) override { return deliver({msg->mStatus, msg->mData1, msg->mData2}); }
    void receive(zelto2sim::Bytes message, bool fromHardware = true)
    {
        ISysEx sysex(0, message.data(), static_cast<int>(message.size()));
        ProcessSysEx(&sysex, fromHardware);
    }

    // Runs the read under the lock the sending threads take.
    template <class F>
    auto locked(F read) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return read();
    }
    // What the synth refused (a dump with a wrong device byte or checksum...).
    std::vector<std::string> refusals() const { return locked([this] { return m_refusals; }); }
    std::vector<Sent> sent() const { return locked([this] { return m_sent; }); }
    size_t sentCount() const { return sent().size(); }
    std::vector<std::string> wire() const
    {
        std::vector<std::string> lines;
        for (const Sent& s : sent())
            lines.push_back(zelto2sim::ToHex(s.bytes));
        return lines;
    }

    // While held, a sending thread waits after its message is recorded, so a
    // test can act at a known point of a job.
    void hold() { setHeld(true); }
    void release() { setHeld(false); }
    // Holds the sending thread once its message number `count` is recorded.
    void holdAtMessage(size_t count) { m_holdAt = count; }

    // Replaced only while no job runs.
    std::unique_ptr<zelto2sim::Zelto2Synth> synth = std::make_unique<zelto2sim::Zelto2Synth>(0);
    std::atomic<bool> answering {true};
    std::atomic<int> answersLeft {1 << 30};  // the synth falls silent after this many answers
    // The synth answers this long after it is asked (virtual time), in the order asked.
    std::atomic<int> lateMs {0};
    // The clock's pointer to this editor, cleared as the editor goes.
    std::atomic<SimEditor*>* clockHook = nullptr;

    // The late answers whose time has come, each handed over in order. Any
    // thread that moved the clock; one hands them over at a time.
    void deliverDueAnswers()
    {
        if (m_delivering.exchange(true))
            return;
        for (;;) {
            zelto2sim::Bytes answer;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (m_late.empty() || m_late.front().first > GetTickCount())
                    break;
                answer = std::move(m_late.front().second);
                m_late.pop_front();
            }
            receive(answer);
        }
        m_delivering = false;
    }

private:
    void setHeld(bool held)
    {
        locked([&] { return m_held = held; });
        m_released.notify_all();
    }
    bool deliver(const zelto2sim::Bytes& message)
    {
        std::vector<zelto2sim::Bytes> answers;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_sent.push_back({GetTickCount(), message,
                midiMessageManager ? JobProgress::text(midiMessageManager->progress.get()) : ""});
            if (m_sent.size() == m_holdAt)
                m_held = true;
            std::string refusal;
            answers = synth->Receive(message, &refusal);
            if (!refusal.empty())
                m_refusals.push_back(refusal);
            m_released.wait(lock, [this] { return !m_held; });
            if (lateMs > 0) {
                for (zelto2sim::Bytes& answer : answers)
                    if (answering && answersLeft-- > 0)
                        m_late.emplace_back(GetTickCount() + uint32_t(lateMs), std::move(answer));
                return true;
            }
        }
        for (const zelto2sim::Bytes& answer : answers)
            if (answering && answersLeft-- > 0)
                receive(answer);
        return true;
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
    size_t m_holdAt = 0;
    std::vector<Sent> m_sent;
    std::vector<std::string> m_refusals;
    std::deque<std::pair<uint32_t, zelto2sim::Bytes>> m_late;  // due time, answer
    std::atomic<bool> m_delivering {false};
};

// Moves the fixture's clock and then hands over the late answers due.
class LateAnswerClock : public dovor::VirtualClock {
public:
    explicit LateAnswerClock(dovor::SteppedClock& time) : m_time(time) {}
    void hook(SimEditor* editor)
    {
        m_editor = editor;
        editor->clockHook = &m_editor;
    }
    void sleepMicroseconds(int64_t us) override
    {
        m_time.sleepMicroseconds(us);
        if (SimEditor* editor = m_editor)
            editor->deliverDueAnswers();
    }
    uint32_t tickCount() override { return m_time.tickCount(); }

private:
    dovor::SteppedClock& m_time;
    std::atomic<SimEditor*> m_editor {nullptr};
};

class WorkerFixture : public EditorTest<SimEditor> {
protected:
    void SetUp() override
    {
        std::thread([] {}).join();  // ThreadSanitizer starts its own helper thread with the first one
        threadsBefore = liveThreads();
        EditorTest::SetUp();
        lateAnswerClock.hook(editor.get());
        dovor::SetVirtualClock(&lateAnswerClock);
        editor->GetParam(kLibSyncTimer)->Set(4);  // 100 ms delays
        editor->midiOutSet = true;
        status = std::make_unique<ITextControl>(editor.get(), IRECT(0, 0, 10, 10), &font);
        editor->statusText = status.get();
        testing::internal::CaptureStdout();
    }
    // Every job's dumps pass the synth's checks of device byte and checksum.
    void TearDown() override
    {
        EXPECT_EQ(editor ? editor->refusals() : std::vector<std::string> {}, std::vector<std::string> {});
        editor.reset();
        endJobLogCapture(HasFailure());
    }

    // Waits (real time, with a deadline) until the condition holds.
    static bool waitFor(const std::function<bool()>& condition,
        std::chrono::milliseconds deadline = std::chrono::milliseconds(20000))
    {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return true;
    }
    bool requestJobEnded() { return waitFor([this] { return manager->requestThreadIdle(); }); }
    // Whether the job started and then ended.
    bool endedAfter(bool started) { return started && requestJobEnded(); }

    static int liveThreads() { return testsupport::LiveThreadCount(); }
    std::string statusText() const { return status->GetTextString(); }
    uint32_t now() const { return static_cast<uint32_t>(clock.nowMicroseconds() / 1000); }

    IText font;
    std::unique_ptr<ITextControl> status;
    int threadsBefore = 0;
    LateAnswerClock lateAnswerClock {clock};
};
