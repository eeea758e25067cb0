#include "rtfreadahead.h"

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

// Batches between the reader and the sink. The first ones are small, so that
// the sink starts soon; a reader that is a few batches ahead waits.
class Pipe
{
public:
    void put(Batch &&batch)
    {
        std::unique_lock lock(m_mutex);
        m_roomLeft.wait(lock, [this] { return m_batches.size() < kAhead; });
        m_batches.push_back(std::move(batch));
        m_filled.notify_one();
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

bool readRtfAhead(QByteArrayView rtf, RtfSink &sink)
{
    if (rtf.size() < g_aheadFrom)
        return readRtf(rtf, sink);

    Pipe pipe;
    bool read = false;
    std::thread reader([&] {
        Recorder recorder(pipe);
        read = readRtf(rtf, recorder);
        recorder.finish();
    });
    // Formats by id, as the reader made them.
    std::vector<RtfCharFormat> formats;
    Batch batch;
    while (pipe.take(batch)) {
        for (RtfCharFormat &format : batch.formats) {
            const auto id = std::size_t(format.id);
            if (id >= formats.size())
                formats.resize(id + 1);
            formats[id] = std::move(format);
        }
        for (const Batch::Step &step : batch.steps) {
            switch (step.kind) {
            case Batch::Kind::Text:
                sink.text(step.text, formats[std::size_t(step.format)]);
                break;
            case Batch::Kind::NewParagraph:
                sink.newParagraph();
                break;
            case Batch::Kind::ParagraphFormat:
                sink.paragraphFormat(batch.paragraphs[std::size_t(step.paragraph)],
                                     formats[std::size_t(step.format)]);
                break;
            }
        }
    }
    reader.join();
    return read;
}

} // namespace store
