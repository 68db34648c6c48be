// The bulk path of a block visualization, stage by stage, against its anchors on the same
// bytes, and the memory a send and a receive add. Prints one table at the end.
//
//   trx_bench [--sizes=100000,1000000] [--no-peak] [Google Benchmark flags]
//   trx_bench --peak send|receive|prepare N        (one measurement in this fresh process)

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <libdeflate.h>
#include <malloc.h>
#include <time.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <unistd.h>
#include <zlib.h>

#include "model.h"
#include "mp/shared_buffer.h"
#include "trx_api/trx_api_binary_json.h"
#include "trx_api/trx_api_compression.h"
#include "trx_api/trx_api_exchange_object.h"

using namespace trx;

namespace {

// ---- inputs, built once per size ------------------------------------------------------

std::string segmentName(const char* what) {
    return "trx-bench-" + std::to_string(getpid()) + "-" + what;
}

std::wstring wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// The envelope a sender writes for a segment of this name.
std::wstring envelopeFor(const std::wstring& segment) {
    return L"{\"exchange_object_name\":\"" + ExcBlockVisualization::objName() +
           L"\",\"binary\":true,\"exchange_object_data\":\"" + segment + L"\"}";
}

// The segment name inside an envelope a sender wrote.
std::wstring segmentOf(const std::wstring& envelope) {
    const std::wstring key = L"\"exchange_object_data\":\"";
    const auto at = envelope.find(key);
    if (at == std::wstring::npos) return {};
    const auto begin = at + key.size();
    return envelope.substr(begin, envelope.find(L'"', begin) - begin);
}

// zlib as a plain gzip implementation would call it.
std::size_t zlibGzip(std::string& out, const std::string& in, int level) {
    z_stream zs{};
    if (deflateInit2(&zs, level, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) != Z_OK) std::abort();
    out.resize(deflateBound(&zs, in.size()));
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = static_cast<uInt>(in.size());
    zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
    zs.avail_out = static_cast<uInt>(out.size());
    if (deflate(&zs, Z_FINISH) != Z_STREAM_END) std::abort();
    const std::size_t n = zs.total_out;
    deflateEnd(&zs);
    return n;
}

std::size_t zlibInflate(char* out, std::size_t room, const std::string& in) {
    z_stream zs{};
    if (inflateInit2(&zs, 31) != Z_OK) std::abort();
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    zs.avail_in = static_cast<uInt>(in.size());
    zs.next_out = reinterpret_cast<Bytef*>(out);
    zs.avail_out = static_cast<uInt>(room);
    if (inflate(&zs, Z_FINISH) != Z_STREAM_END) std::abort();
    const std::size_t n = zs.total_out;
    inflateEnd(&zs);
    return n;
}

// ---- the same mesh as a text document of number arrays --------------------------------

using TextWriter = rapidjson::Writer<rapidjson::StringBuffer>;

void writeText(std::string& out, const std::vector<std::shared_ptr<ExcVisuFace>>& faces) {
    rapidjson::StringBuffer buffer;
    TextWriter w(buffer);
    w.StartObject();
    w.Key("faces");
    w.StartArray();
    for (const auto& face : faces) {
        w.StartObject();
        w.Key("vertices");
        w.StartArray();
        for (const float v : face->vertices()) w.Double(v);
        w.EndArray();
        w.Key("normals");
        w.StartArray();
        for (const float v : face->normals()) w.Double(v);
        w.EndArray();
        w.Key("polygons");  // the packed words: type, count, indices
        w.StartArray();
        for (const auto& p : face->polygons()) {
            w.Uint(p.type);
            w.Uint(static_cast<unsigned>(p.indices.size()));
            for (const int i : p.indices) w.Int(i);
        }
        w.EndArray();
        w.EndObject();
    }
    w.EndArray();
    w.EndObject();
    out.assign(buffer.GetString(), buffer.GetSize());
}

std::vector<std::shared_ptr<ExcVisuFace>> parseText(const std::string& text) {
    rapidjson::Document doc;
    doc.Parse(text.data(), text.size());
    if (doc.HasParseError() || !doc.IsObject()) std::abort();
    std::vector<std::shared_ptr<ExcVisuFace>> faces;
    for (const auto& f : doc["faces"].GetArray()) {
        auto face = std::make_shared<ExcVisuFace>();
        std::vector<float> vertices, normals;
        const auto& va = f["vertices"];
        vertices.reserve(va.Size());
        for (const auto& v : va.GetArray()) vertices.push_back(static_cast<float>(v.GetDouble()));
        const auto& na = f["normals"];
        normals.reserve(na.Size());
        for (const auto& v : na.GetArray()) normals.push_back(static_cast<float>(v.GetDouble()));
        const auto& pa = f["polygons"];
        std::vector<std::uint32_t> words;
        words.reserve(pa.Size());
        for (const auto& v : pa.GetArray()) words.push_back(v.GetUint());
        ExcVisuFace::Polygons polygons;
        ExcVisuFace::unpackPolygons(words, polygons);
        face->setVertices(std::move(vertices));
        face->setNormals(std::move(normals));
        face->setPolygons(std::move(polygons));
        faces.push_back(std::move(face));
    }
    return faces;
}

struct Inputs {
    std::shared_ptr<ExcBlockVisualization> block;
    std::vector<std::shared_ptr<ExcVisuFace>> faces;
    JsonDocument doc;     // record -> JSON value
    std::string binary;   // binary JSON
    std::string packed;   // what the envelope stores: gzip through Compressor
    std::string zpacked;  // zlib's gzip at the same level
    std::size_t singleStreamSize = 0;  // libdeflate level 6 in one stream, one thread
    std::string text;     // the text document
};

Inputs& inputs(std::size_t n) {
    static std::map<std::size_t, std::unique_ptr<Inputs>> cache;
    auto& slot = cache[n];
    if (!slot) {
        slot = std::make_unique<Inputs>();
        Inputs& in = *slot;
        in.block = bench::makeBlockVisualization(n);
        in.faces = bench::facesOf(*in.block);
        in.block->writeObject(in.doc, in.doc.GetAllocator());
        JsonBinaryIO::write(in.binary, in.doc);
        Compressor::compress(in.packed, in.binary.data(), in.binary.size(), -1);
        in.zpacked.resize(zlibGzip(in.zpacked, in.binary, 6));
        std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> c(
            libdeflate_alloc_compressor(6), libdeflate_free_compressor);
        std::string single(libdeflate_gzip_compress_bound(c.get(), in.binary.size()), '\0');
        in.singleStreamSize =
            libdeflate_gzip_compress(c.get(), in.binary.data(), in.binary.size(), &single[0], single.size());
        writeText(in.text, in.faces);
    }
    return *slot;
}

// ---- benchmarks ----------------------------------------------------------------------

// Pauses the benchmark's clock around the parts of a call that are not measured; a timer
// without a benchmark (the warm-up call) does nothing.
class Timer {
public:
    explicit Timer(benchmark::State* state = nullptr) : m_state(state) {}
    void pause() {
        if (m_state) m_state->PauseTiming();
    }
    void resume() {
        if (m_state) m_state->ResumeTiming();
    }

private:
    benchmark::State* m_state;
};

// One call of what a benchmark measures, with what it holds between calls.
using Call = std::function<void(Timer&)>;
using MakeCall = Call (*)(Inputs&);

// A segment that is removed when the last call holding it is gone.
struct OwnedSegment {
    std::wstring name;
    explicit OwnedSegment(const char* what) : name(wide(segmentName(what))) {}
    OwnedSegment(const OwnedSegment&) = delete;
    OwnedSegment& operator=(const OwnedSegment&) = delete;
    ~OwnedSegment() { mp::SharedBuffer<char>::remove(name); }
};

Call sendEnvelope(Inputs& in) {
    auto wrapper = std::make_shared<ExchangeObjectWrapper>();
    wrapper->set(in.block);
    return [wrapper](Timer& timer) {
        std::wostringstream os;
        wrapper->writeObject(os);
        timer.pause();
        mp::SharedBuffer<char>::remove(segmentOf(os.str()));
        timer.resume();
    };
}

// The stages write into one output kept from call to call, as a caller that does this over
// and over would: the rows show the stage's work, not the allocator's fresh pages (whose
// mapping and unmapping would also slow down every row run after them).

// What the send does: binary JSON straight from the record, no document between.
Call sendBinaryJson(Inputs& in) {
    auto bytes = std::make_shared<std::string>();
    return [&in, bytes](Timer&) {
        JsonBinaryIO::write(*bytes, *in.block);
        benchmark::DoNotOptimize(bytes->data());
    };
}

Call sendCompress(Inputs& in) {
    auto packed = std::make_shared<std::string>();
    return [&in, packed](Timer&) {
        Compressor::compress(*packed, in.binary.data(), in.binary.size(), -1);
        benchmark::DoNotOptimize(packed->data());
    };
}

Call sendSegmentWrite(Inputs& in) {
    const std::wstring name = wide(segmentName("send"));
    return [&in, name](Timer&) {
        mp::SharedBuffer<char> buffer(name, true);  // created, filled and removed each time
        buffer.write(in.packed.data(), in.packed.size());
    };
}

Call receiveEnvelope(Inputs& in) {
    auto segment = std::make_shared<OwnedSegment>("receive");
    return [&in, segment](Timer& timer) {
        timer.pause();
        mp::SharedBuffer<char>(segment->name, false).write(in.packed.data(), in.packed.size());
        std::wistringstream is(envelopeFor(segment->name));
        ExchangeObjectWrapper wrapper;
        timer.resume();
        wrapper.readObject(is);
        timer.pause();
        if (!wrapper.get() || !wrapper.get()->isLoaded()) std::abort();
        wrapper = ExchangeObjectWrapper();  // freeing the record is not part of reading it
        timer.resume();
    };
}

Call receiveSegmentRead(Inputs& in) {
    auto segment = std::make_shared<OwnedSegment>("read");
    mp::SharedBuffer<char>(segment->name, false).write(in.packed.data(), in.packed.size());
    auto bytes = std::make_shared<std::vector<char>>();
    return [segment, bytes](Timer&) {
        mp::SharedBuffer<char> buffer(segment->name, false);
        buffer.read(*bytes);
        benchmark::DoNotOptimize(bytes->data());
    };
}

Call receiveInflate(Inputs& in) {
    auto bytes = std::make_shared<std::vector<char>>();
    return [&in, bytes](Timer&) {
        Compressor::decompress(*bytes, in.packed.data(), in.packed.size());
        benchmark::DoNotOptimize(bytes->data());
    };
}

Call receiveBinaryJson(Inputs& in) {
    return [&in](Timer&) {
        JsonDocument doc;
        JsonBinaryIO::read(in.binary.data(), in.binary.size(), doc, doc.GetAllocator());
        benchmark::DoNotOptimize(doc);
    };
}

Call receiveRecord(Inputs& in) {
    return [&in](Timer& timer) {
        auto block = std::make_unique<ExcBlockVisualization>();
        block->readObject(in.doc);
        timer.pause();
        block.reset();
        timer.resume();
    };
}

Call anchorMemcpy(Inputs& in) {
    auto copy = std::make_shared<std::string>(in.binary.size(), '\0');
    return [&in, copy](Timer&) {
        std::memcpy(&(*copy)[0], in.binary.data(), in.binary.size());
        benchmark::ClobberMemory();
    };
}

Call anchorLibdeflate(Inputs& in) {
    std::shared_ptr<libdeflate_compressor> c(libdeflate_alloc_compressor(6), libdeflate_free_compressor);
    auto out = std::make_shared<std::string>(libdeflate_gzip_compress_bound(c.get(), in.binary.size()), '\0');
    return [&in, c, out](Timer&) {
        benchmark::DoNotOptimize(
            libdeflate_gzip_compress(c.get(), in.binary.data(), in.binary.size(), &(*out)[0], out->size()));
    };
}

Call anchorZlib(Inputs& in) {
    auto out = std::make_shared<std::string>();
    return [&in, out](Timer&) { benchmark::DoNotOptimize(zlibGzip(*out, in.binary, 6)); };
}

// zlib inflate of `packed` (a member of Inputs) into a buffer of the binary JSON's size.
template <std::string Inputs::*packed>
Call anchorInflate(Inputs& in) {
    auto out = std::make_shared<std::string>(in.binary.size(), '\0');
    return [&in, out](Timer&) { benchmark::DoNotOptimize(zlibInflate(&(*out)[0], out->size(), in.*packed)); };
}

Call anchorTextWrite(Inputs& in) {
    return [&in](Timer&) {
        std::string text;
        writeText(text, in.faces);
        benchmark::DoNotOptimize(text.data());
    };
}

Call anchorTextParse(Inputs& in) {
    return [&in](Timer& timer) {
        auto faces = parseText(in.text);
        timer.pause();
        faces.clear();
        timer.resume();
    };
}

// Every benchmark times calls after one untimed call, so that each row shows the steady state
// of a process that does this over and over (its large blocks reused, not faulted in anew);
// the cost of the first call in a fresh process is measured apart (coldCall).
void runCalls(benchmark::State& state, const Call& call) {
    Timer warmUp;
    call(warmUp);
    Timer timer(&state);
    for (auto _ : state) call(timer);
}

struct Entry {
    const char* name;
    const char* label;
    MakeCall make;
};

const Entry kEntries[] = {
    {"send", "send: ExchangeObjectWrapper::writeObject", sendEnvelope},
    {"send.binary_json", "  record -> binary JSON", sendBinaryJson},
    {"send.compress", "  compress (Compressor, gzip 6)", sendCompress},
    {"send.segment_write", "  segment create + write", sendSegmentWrite},
    {"receive", "receive: readObject with loading", receiveEnvelope},
    {"receive.segment_read", "  segment open + read", receiveSegmentRead},
    {"receive.inflate", "  inflate (Compressor)", receiveInflate},
    {"receive.binary_json", "  binary JSON -> JSON value", receiveBinaryJson},
    {"receive.record_from_json", "  JSON value -> record", receiveRecord},
    {"anchor.memcpy", "anchor: memcpy of binary JSON", anchorMemcpy},
    {"anchor.libdeflate6", "anchor: libdeflate gzip level 6", anchorLibdeflate},
    {"anchor.zlib6", "anchor: zlib gzip level 6 (wbits 31)", anchorZlib},
    {"anchor.inflate", "anchor: zlib inflate (our gzip)", anchorInflate<&Inputs::packed>},
    {"anchor.inflate_zlib", "anchor: zlib inflate (zlib's gzip)", anchorInflate<&Inputs::zpacked>},
    {"anchor.text_write", "anchor: text JSON write (RapidJSON)", anchorTextWrite},
    {"anchor.text_parse", "anchor: text JSON parse (RapidJSON)", anchorTextParse},
};

// ---- many small objects ---------------------------------------------------------------

// An assembly of many small parts: block visualizations of about 100 triangles each, one
// envelope and one segment each. A call handles kSmallBatch of them.
constexpr std::size_t kSmallBatch = 1000;
constexpr std::size_t kSmallTriangles = 100;

struct SmallInputs {
    std::vector<std::shared_ptr<ExcBlockVisualization>> blocks;
    std::string binary;  // of one of them
    std::size_t expanded = 0;
};

SmallInputs& smallInputs() {
    static SmallInputs in = [] {
        SmallInputs s;
        for (std::size_t i = 0; i < kSmallBatch; ++i)
            s.blocks.push_back(bench::makeBlockVisualization(kSmallTriangles, i + 1));
        JsonDocument doc;
        s.blocks.front()->writeObject(doc, doc.GetAllocator());
        JsonBinaryIO::write(s.binary, doc);
        return s;
    }();
    return in;
}

// Through the library: writeObject, then readObject with loading, object by object.
void smallRoundTrip(benchmark::State& state) {
    SmallInputs& in = smallInputs();
    for (auto _ : state)
        for (const auto& block : in.blocks) {
            ExchangeObjectWrapper out;
            out.set(block);
            std::wostringstream os;
            out.writeObject(os);
            std::wistringstream is(os.str());
            ExchangeObjectWrapper back;
            back.readObject(is);
            if (!back.get() || !back.get()->isLoaded()) std::abort();
        }
}

// The floor: the same work done directly on one object's bytes, as often: libdeflate level
// 6, a segment created, filled, opened, read and removed, zlib inflate.
void smallFloor(benchmark::State& state) {
    SmallInputs& in = smallInputs();
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> c(
        libdeflate_alloc_compressor(6), libdeflate_free_compressor);
    std::string packed(libdeflate_gzip_compress_bound(c.get(), in.binary.size()), '\0');
    std::string expanded(in.binary.size(), '\0');
    std::vector<char> read;
    const std::wstring name = wide(segmentName("small"));
    for (auto _ : state)
        for (std::size_t i = 0; i < kSmallBatch; ++i) {
            const std::size_t n = libdeflate_gzip_compress(c.get(), in.binary.data(), in.binary.size(),
                                                           &packed[0], packed.size());
            mp::SharedBuffer<char>(name, false).write(packed.data(), n);
            mp::SharedBuffer<char>(name, false).read(read);
            mp::SharedBuffer<char>::remove(name);
            benchmark::DoNotOptimize(
                zlibInflate(&expanded[0], expanded.size(), std::string(read.data(), read.size())));
        }
}

// ---- peak memory, in a fresh process ----------------------------------------------------

long statusKiB(const char* field) {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr) return -1;
    char line[256];
    long value = -1;
    const std::size_t n = std::strlen(field);
    while (std::fgets(line, sizeof(line), f) != nullptr)
        if (std::strncmp(line, field, n) == 0 && line[n] == ':') value = std::atol(line + n + 1);
    std::fclose(f);
    return value;
}

// Starts a fresh peak: from here VmHWM is the most resident memory since now.
long resetPeak() {
    malloc_trim(0);
    FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (f != nullptr) {
        std::fputs("5", f);
        std::fclose(f);
    }
    return statusKiB("VmRSS");
}

std::string selfPath() {
    std::string self(4096, '\0');
    const ssize_t n = readlink("/proc/self/exe", &self[0], self.size());
    self.resize(static_cast<std::size_t>(std::max<ssize_t>(0, n)));
    return self;
}

// CPU milliseconds this thread has run.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Prints "before_kib peak_kib binary_json_bytes cpu_ms" for the first call in this process.
int peakMain(const std::string& mode, std::size_t n) {
    if (mode == "prepare") {  // the sender for a receive measurement: prints the envelope
        auto block = bench::makeBlockVisualization(n);
        ExchangeObjectWrapper wrapper;
        wrapper.set(block);
        std::wostringstream os;
        wrapper.writeObject(os);
        const std::wstring text = os.str();
        std::cout << std::string(text.begin(), text.end()) << std::endl;
        return 0;
    }
    if (mode == "send") {
        auto block = bench::makeBlockVisualization(n);
        ExchangeObjectWrapper wrapper;
        wrapper.set(block);
        std::wostringstream os;
        const long before = resetPeak();
        const double start = threadCpuMs();
        wrapper.writeObject(os);
        const double ms = threadCpuMs() - start;
        const long peak = statusKiB("VmHWM");
        mp::SharedBuffer<char>::remove(segmentOf(os.str()));
        JsonDocument doc;
        block->writeObject(doc, doc.GetAllocator());
        std::string bytes;
        JsonBinaryIO::write(bytes, doc);
        std::cout << before << ' ' << peak << ' ' << bytes.size() << ' ' << ms << std::endl;
        return 0;
    }
    if (mode == "receive") {
        const std::string command = "'" + selfPath() + "' --peak prepare " + std::to_string(n);
        FILE* p = popen(command.c_str(), "r");
        if (p == nullptr) return 1;
        std::string envelope;
        for (int c; (c = std::fgetc(p)) != EOF && c != '\n';) envelope += static_cast<char>(c);
        if (pclose(p) != 0 || envelope.empty()) return 1;
        std::wistringstream is(wide(envelope));
        ExchangeObjectWrapper wrapper;
        const long before = resetPeak();
        const double start = threadCpuMs();
        wrapper.readObject(is);
        const double ms = threadCpuMs() - start;
        const long peak = statusKiB("VmHWM");
        if (!wrapper.get() || !wrapper.get()->isLoaded()) return 1;
        JsonDocument doc;
        wrapper.get()->writeObject(doc, doc.GetAllocator());
        std::string bytes;
        JsonBinaryIO::write(bytes, doc);
        std::cout << before << ' ' << peak << ' ' << bytes.size() << ' ' << ms << std::endl;
        return 0;
    }
    return 2;
}

struct Peak {
    bool ok = false;
    double added = 0;   // bytes
    double binary = 0;  // bytes
    double ms = 0;      // CPU time of the call
};

Peak measurePeak(const char* mode, std::size_t n) {
    const std::string command = "'" + selfPath() + "' --peak " + mode + " " + std::to_string(n);
    Peak result;
    FILE* p = popen(command.c_str(), "r");
    if (p == nullptr) return result;
    long before = 0, peak = 0;
    unsigned long long binary = 0;
    const int got = std::fscanf(p, "%ld %ld %llu %lf", &before, &peak, &binary, &result.ms);
    result.ok = pclose(p) == 0 && got == 4 && before > 0 && peak > 0;
    result.added = 1024.0 * static_cast<double>(peak - before);
    result.binary = static_cast<double>(binary);
    return result;
}

// ---- the table ---------------------------------------------------------------------------

// Keeps every repetition's wall time per iteration, in milliseconds, by benchmark name:
// compression and expansion run on several threads, whose CPU times the calling thread's
// would not show.
class Collector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, std::vector<double>> times;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred) continue;
            const double ms = r.GetAdjustedRealTime() * multiplier(r.time_unit);
            times[r.run_name.function_name + "/" + r.run_name.args].push_back(ms);
        }
    }

private:
    static double multiplier(benchmark::TimeUnit u) {
        switch (u) {
        case benchmark::kNanosecond: return 1e-6;
        case benchmark::kMicrosecond: return 1e-3;
        case benchmark::kMillisecond: return 1.0;
        default: return 1e3;
        }
    }
};

struct Stat {
    double median = 0, low = 0, high = 0;
    bool ok = false;
};

Stat stat(std::vector<double> v) {
    Stat s;
    if (v.empty()) return s;
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    s.median = v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
    s.low = v.front();
    s.high = v.back();
    s.ok = true;
    return s;
}

void printTable(const Collector& c, const std::vector<std::size_t>& sizes, bool peaks) {
    std::printf("\n==== trx_api bulk path: block visualization through the envelope ====\n");
    std::printf("times: wall ms per call after one untimed call, median of the repetitions [min..max];\n"
                "MB/s of binary JSON; compression on %u threads (run with the cores free)\n",
                Compressor::threads());
    for (const std::size_t n : sizes) {
        Inputs& in = inputs(n);
        const double mb = static_cast<double>(in.binary.size()) / 1e6;
        std::printf("\nN = %zu triangles: binary JSON %.1f MB, gzip %.1f MB (%.1f%%), zlib gzip %.1f MB, "
                    "text JSON %.1f MB\n",
                    n, mb, static_cast<double>(in.packed.size()) / 1e6,
                    100.0 * static_cast<double>(in.packed.size()) / static_cast<double>(in.binary.size()),
                    static_cast<double>(in.zpacked.size()) / 1e6, static_cast<double>(in.text.size()) / 1e6);
        std::printf("  %-42s %10s %21s %9s\n", "stage", "median", "[min..max]", "MB/s");
        std::map<std::string, Stat> st;
        for (const Entry& e : kEntries) {
            const auto it = c.times.find(std::string(e.name) + "/" + std::to_string(n));
            const Stat s = it == c.times.end() ? Stat{} : stat(it->second);
            st[e.name] = s;
            if (!s.ok) {
                std::printf("  %-42s %10s\n", e.label, "-");
                continue;
            }
            std::printf("  %-42s %10.2f   [%8.2f..%8.2f] %9.0f\n", e.label, s.median, s.low, s.high,
                        mb / (s.median / 1e3));
        }
        const auto ms = [&](const char* k) { return st[k].ok ? st[k].median : 0.0; };
        const double roundTrip = ms("send") + ms("receive");
        const double stages = ms("send.binary_json") + ms("send.compress") +
                              ms("send.segment_write") + ms("receive.segment_read") + ms("receive.inflate") +
                              ms("receive.binary_json") + ms("receive.record_from_json");
        std::printf("  %-42s %10.2f\n", "round trip (send + receive)", roundTrip);
        std::printf("  %-42s %10.2f\n", "  sum of the stages", stages);
        std::printf("  %-42s %10.2f\n", "text JSON round trip (write + parse)",
                    ms("anchor.text_write") + ms("anchor.text_parse"));

        const bool timed = st["send"].ok && st["receive"].ok;
        std::printf("  targets%s\n", n == 1000000 ? "" : " (binding at N = 1000000)");
        const auto line = [](const char* what, double value, const char* goal, bool met, bool ok) {
            if (!ok) {
                std::printf("  %-58s %8s  %-8s\n", what, "-", goal);
                return;
            }
            std::printf("  %-58s %8.2f  %-8s %s\n", what, value, goal, *goal ? (met ? "met" : "MISSED") : "");
        };
        const double gzipAnchor = ms("anchor.libdeflate6") + ms("anchor.inflate");
        const double zlibAnchor = ms("anchor.zlib6") + ms("anchor.inflate_zlib");
        const double r1 = gzipAnchor > 0 ? roundTrip / gzipAnchor : 0;
        const double r2 = roundTrip > 0 ? zlibAnchor / roundTrip : 0;
        line("1. round trip / (libdeflate 6 + zlib inflate)", r1, "<= 0.75", r1 <= 0.75,
             timed && gzipAnchor > 0);
        const double sizeRatio = in.singleStreamSize > 0 ? static_cast<double>(in.packed.size()) /
                                                               static_cast<double>(in.singleStreamSize)
                                                         : 0;
        line("   gzip size / libdeflate 6 in one stream", sizeRatio, "<= 1.01", sizeRatio <= 1.01,
             in.singleStreamSize > 0);
        line("2. (zlib 6 + zlib inflate) / round trip", r2, ">= 2", r2 >= 2.0, timed && zlibAnchor > 0);
        if (peaks) {
            const Peak send = measurePeak("send", n);
            const Peak receive = measurePeak("receive", n);
            const double s = send.ok ? send.added / send.binary : 0;
            const double r = receive.ok ? receive.added / receive.binary : 0;
            line("3. peak RSS added by a send / binary JSON size", s, "<= 2.5", s <= 2.5, send.ok);
            if (send.ok) std::printf("     (%.1f MB added; this first send took %.2f ms)\n", send.added / 1e6, send.ms);
            line("   peak RSS added by a receive / binary JSON size", r, "<= 2.5", r <= 2.5, receive.ok);
            if (receive.ok)
                std::printf("     (%.1f MB added; this first receive took %.2f ms)\n", receive.added / 1e6, receive.ms);
        }
        const double text = ms("anchor.text_write") + ms("anchor.text_parse");
        line("4. text JSON round trip / round trip", roundTrip > 0 ? text / roundTrip : 0, "", true,
             timed && text > 0);
    }
    const auto small = c.times.find("small.round_trip/");
    const auto floor = c.times.find("small.floor/");
    if (small != c.times.end() && floor != c.times.end()) {
        const Stat s = stat(small->second), f = stat(floor->second);
        const double perObject = s.median * 1e3 / kSmallBatch, floorPerObject = f.median * 1e3 / kSmallBatch;
        std::printf("\nSmall objects: block visualizations of %zu triangles, binary JSON %zu bytes each\n",
                    kSmallTriangles, smallInputs().binary.size());
        std::printf("  %-42s %10.1f us  (%.0f objects/s)\n", "writeObject + readObject with loading",
                    perObject, 1e6 / perObject);
        std::printf("  %-42s %10.1f us\n", "floor: gzip, segment, inflate directly", floorPerObject);
        std::printf("  %-58s %8.2f  %-8s %s\n", "5. small object round trip / floor", perObject / floorPerObject,
                    "<= 1.2", perObject / floorPerObject <= 1.2 ? "met" : "MISSED");
    }
}

std::vector<std::size_t> parseSizes(const std::string& list) {
    std::vector<std::size_t> sizes;
    std::stringstream ss(list);
    for (std::string item; std::getline(ss, item, ',');)
        if (!item.empty()) sizes.push_back(std::stoul(item));
    return sizes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--peak") return peakMain(argv[2], std::stoul(argv[3]));

    std::vector<std::size_t> sizes{100000, 1000000};
    bool peaks = true;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--sizes=", 0) == 0) sizes = parseSizes(arg.substr(8));
        else if (arg == "--no-peak") peaks = false;
        else rest.push_back(argv[i]);
    }
    int count = static_cast<int>(rest.size());
    benchmark::Initialize(&count, rest.data());
    if (benchmark::ReportUnrecognizedArguments(count, rest.data())) return 1;

    for (const Entry& e : kEntries) {
        for (const std::size_t n : sizes) {
            const MakeCall make = e.make;
            benchmark::RegisterBenchmark(e.name, [make, n](benchmark::State& state) {
                Inputs& in = inputs(n);
                runCalls(state, make(in));
                state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                                        static_cast<std::int64_t>(in.binary.size()));
            })->Arg(static_cast<std::int64_t>(n))->Unit(benchmark::kMillisecond)->UseRealTime();
        }
    }
    benchmark::RegisterBenchmark("small.round_trip", smallRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("small.floor", smallFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
    smallInputs();
    // Build the inputs before any timing, so that no benchmark pays for them.
    for (const std::size_t n : sizes) inputs(n);

    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    printTable(collector, sizes, peaks);
    benchmark::Shutdown();
    return 0;
}
