#include "rtfreadahead.h"

#include "rtfreader.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace store {
namespace {

// 64 KiB of RTF reads in about half a millisecond: below that the thread
// would cost more than it saves.
std::atomic<qsizetype> g_aheadFrom{qsizetype(64) << 10};

// What the reader told the sink, kept until the sink's thread takes it.
struct Batch
{
    enum class Kind : std::uint8_t { Text, NewParagraph, ParagraphFormat };
    struct Step
    {
        Kind kind;
        int format = 0;    // the format's id, for Text and ParagraphFormat
        int paragraph = 0; // at `paragraphs`, for ParagraphFormat
        QString text;
    };
    std::vector<Step> steps;
    // Formats first told in this batch, and paragraph formats.
    std::vector<RtfCharFormat> formats;
    std::vector<RtfParagraphFormat> paragraphs;
};

// Thrown on the reader's thread when the sink has gone: it ends the reading.
struct Stopped
{
};

// Batches between the reader and the sink. The first ones are small, so that
// the sink starts soon; a reader that is a few batches ahead waits.
class Pipe
{
public:
    void put(Batch &&batch)
    {
        std::unique_lock lock(m_mutex);
        m_roomLeft.wait(lock, [this] { return m_batches.size() < kAhead || m_stopped; });
        if (m_stopped)
            throw Stopped();
        m_batches.push_back(std::move(batch));
        m_filled.notify_one();
    }
    // The sink takes no more.
    void stop()
    {
        const std::lock_guard lock(m_mutex);
        m_stopped = true;
        m_batches.clear();
        m_roomLeft.notify_one();
    }
    void close()
    {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
        m_filled.notify_one();
    }
    // False when the reader has finished and everything was taken.
    bool take(Batch &batch)
    {
        std::unique_lock lock(m_mutex);
        m_filled.wait(lock, [this] { return !m_batches.empty() || m_closed; });
        if (m_batches.empty())
            return false;
        batch = std::move(m_batches.front());
        m_batches.pop_front();
        m_roomLeft.notify_one();
        return true;
    }

private:
    static constexpr std::size_t kAhead = 8;
    std::mutex m_mutex;
    std::condition_variable m_filled;
    std::condition_variable m_roomLeft;
    std::deque<Batch> m_batches;
    bool m_closed = false;
    bool m_stopped = false;
};

// The sink on the reader's thread: it writes down what it is told.
class Recorder final : public RtfSink
{
public:
    explicit Recorder(Pipe &pipe) : m_pipe(pipe) {}

    void text(const QString &text, const RtfCharFormat &format) override
    {
        m_batch.steps.push_back({Batch::Kind::Text, told(format), 0, text});
        stepped();
    }
    void newParagraph() override
    {
        m_batch.steps.push_back({Batch::Kind::NewParagraph, 0, 0, {}});
        stepped();
    }
    void paragraphFormat(const RtfParagraphFormat &format, const RtfCharFormat &mark) override
    {
        m_batch.paragraphs.push_back(format);
        m_batch.steps.push_back(
            {Batch::Kind::ParagraphFormat, told(mark), int(m_batch.paragraphs.size() - 1), {}});
        stepped();
    }
    void finish()
    {
        if (!m_batch.steps.empty())
            m_pipe.put(std::move(m_batch));
        m_pipe.close();
    }

private:
    // A format goes over once, with the first step that uses it; the reader
    // gives the same id to the same format.
    int told(const RtfCharFormat &format)
    {
        const auto id = std::size_t(format.id);
        if (id >= m_told.size())
            m_told.resize(id + 1, false);
        if (!m_told[id]) {
            m_told[id] = true;
            m_batch.formats.push_back(format);
        }
        return format.id;
    }
    void stepped()
    {
        if (m_batch.steps.size() < m_batchSize)
            return;
        m_pipe.put(std::move(m_batch));
        m_batch = Batch();
        m_batchSize = std::min<std::size_t>(m_batchSize * 2, 4096);
    }

    Pipe &m_pipe;
    Batch m_batch;
    std::size_t m_batchSize = 64;
    std::vector<bool> m_told;
};

} // namespace

void setReadAheadFrom(qsizetype bytes)
{
    g_aheadFrom = bytes;
}

qsizetype readAheadFrom()
{
    return g_aheadFrom;
}

struct RtfReadAhead::Reading
{
    QByteArray rtf;
    Pipe pipe;
    std::thread reader;
    // Formats by id, as the reader made them.
    std::vector<RtfCharFormat> formats;
    // The batch being told, and how far.
    Batch batch;
    std::size_t next = 0;
    bool done = false;
};

RtfReadAhead::RtfReadAhead(const QByteArray &rtf) : m_reading(std::make_unique<Reading>())
{
    Reading &r = *m_reading;
    r.rtf = rtf;
    r.reader = std::thread([&r] {
        Recorder recorder(r.pipe);
        try {
            readRtf(r.rtf, recorder);
            recorder.finish();
        } catch (const Stopped &) {
        }
    });
}

RtfReadAhead::~RtfReadAhead()
{
    m_reading->pipe.stop();
    m_reading->reader.join();
}

bool RtfReadAhead::pass(RtfSink &sink, const std::function<bool()> &enough)
{
    Reading &r = *m_reading;
    while (!r.done) {
        if (r.next >= r.batch.steps.size()) {
            r.batch = Batch();
            r.next = 0;
            if (!r.pipe.take(r.batch)) {
                r.done = true;
                break;
            }
            for (RtfCharFormat &format : r.batch.formats) {
                const auto id = std::size_t(format.id);
                if (id >= r.formats.size())
                    r.formats.resize(id + 1);
                r.formats[id] = std::move(format);
            }
        }
        const Batch::Step &step = r.batch.steps[r.next++];
        switch (step.kind) {
        case Batch::Kind::Text:
            sink.text(step.text, r.formats[std::size_t(step.format)]);
            break;
        case Batch::Kind::NewParagraph:
            sink.newParagraph();
            if (enough && enough())
                return false;
            break;
        case Batch::Kind::ParagraphFormat:
            sink.paragraphFormat(r.batch.paragraphs[std::size_t(step.paragraph)],
                                 r.formats[std::size_t(step.format)]);
            break;
        }
    }
    return true;
}

bool readRtfAhead(QByteArrayView rtf, RtfSink &sink)
{
    if (rtf.size() < g_aheadFrom || !looksLikeRtf(rtf))
        return readRtf(rtf, sink);
    RtfReadAhead(rtf.toByteArray()).pass(sink, {});
    return true;
}

} // namespace store
