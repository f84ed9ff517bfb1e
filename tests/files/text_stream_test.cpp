// Files read and written in pieces give what the whole-file routines give, whatever the
// piece size: cuts land inside multi-byte characters, CR LF pairs, surrogate pairs, clusters
// and ISO-2022-JP's shifted stretches unless the stream moves them.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include "files/text_file.h"
#include "files/text_stream.h"
#include "support/test_text.h"

using namespace verlo::files;
using verlo::test::iconvert;

namespace {

const std::string kJapanese = "　吾輩は猫である。\r\n名前はまだ無い。\r\nｶﾀｶﾅﾞ ok 123\n「ど\r\nこ」\r";
// Characters Shift-JIS cannot hold: clusters, a pair of flags, a mark in the middle.
const std::string kBeyond = "♡剝𠮟👨‍👩‍👧 e\u0301 🇯🇵🇺🇸 ⚽\uFE0F \uFEFFmid\r\n";

struct Case {
    const char* name;
    Encoding encoding;
    std::string bytes;
};

std::vector<Case> cases() {
    const std::string jp = verlo::test::repeat(kJapanese, 2);
    return {
        {"Shift-JIS", Encoding::ShiftJis, iconvert("UTF-8", "CP932", jp) + "\xF0\x40\x80\xFF\x81\x0A\x81"},
        {"UTF-8", Encoding::Utf8, jp},
        {"UTF-8 beyond", Encoding::Utf8, jp + kBeyond + jp},
        {"UTF-8 mark", Encoding::Utf8Bom, "\xEF\xBB\xBF" + jp + "\xEF\xBB\xBF" + jp},
        {"UTF-8 mark, not text", Encoding::Utf8Bom, "\xEF\xBB\xBF" + jp + "\xE3\x81\r\n\xFF" + jp},
        {"UTF-16LE", Encoding::Utf16Le, "\xFF\xFE" + iconvert("UTF-8", "UTF-16LE", jp + kBeyond) + std::string("\x00\xD8", 2) + "x"},
        {"UTF-16BE", Encoding::Utf16Be, "\xFE\xFF" + iconvert("UTF-8", "UTF-16BE", jp + "\uFEFF" + jp)},
        {"EUC-JP", Encoding::EucJp, iconvert("UTF-8", "EUC-JP", jp + jp)},
        {"ISO-2022-JP", Encoding::Iso2022Jp,
         iconvert("UTF-8", "ISO-2022-JP", "吾輩は猫である。\r\n" + jp) + "\x1B$B$3$s\n$K$A$O\x1B(B\nend\n"},
    };
}

// Feeds bytes to add in steps of `step` bytes.
template <class Add>
void feed(std::string_view bytes, std::size_t step, Add&& add) {
    for (std::size_t i = 0; i < bytes.size(); i += step) add(bytes.substr(i, step));
}

}  // namespace

TEST(TextStream, PiecesFindTheEncodingAndGiveTheDocumentTheWholeFileGives) {
    for (const Case& c : cases()) {
        const Encoding found = detectEncoding(c.bytes, Encoding::ShiftJis);
        const ReadText whole = readText(c.bytes, c.encoding, LineBreak::CrLf);
        const verlo::text::StandIns::Encoded expected = whole.standIns.toCodePage(whole.bytes);
        for (std::size_t pieceSize : {1, 3, 16, 4096}) {
            for (std::size_t step : {1, 7}) {
                SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(pieceSize) + ", fed " +
                             std::to_string(step));
                EncodingScan scan(Encoding::ShiftJis);
                feed(c.bytes, step, [&](std::string_view p) { scan.add(p); });
                EXPECT_EQ(scan.finish(), found);

                std::string out;
                CodePageStream stream(c.encoding, [&](std::string_view p) { out += p; }, pieceSize);
                feed(c.bytes, step, [&](std::string_view p) { stream.add(p); });
                stream.finish();
                EXPECT_EQ(stream.refused(), expected.refused);
                if (expected.ok()) {
                    EXPECT_EQ(out, expected.bytes);
                }
            }
        }
    }
}

TEST(TextStream, ScanStopsWhenTheRestCannotMatter) {
    EncodingScan marked(Encoding::ShiftJis);
    marked.add("\xEF\xBB");
    EXPECT_FALSE(marked.decided());
    marked.add("\xBF text");
    EXPECT_TRUE(marked.decided());
    EXPECT_EQ(marked.finish(), Encoding::Utf8Bom);

    EncodingScan sjis(Encoding::Utf8);
    sjis.add(std::string(kDetectorSample - 1, 'a') + "\x82");
    EXPECT_FALSE(sjis.decided()) << "the detector's sample is not complete";
    sjis.add("\xA0 and more");
    EXPECT_TRUE(sjis.decided());
    EXPECT_EQ(sjis.finish(), Encoding::ShiftJis);

    EncodingScan ascii(Encoding::Utf8);
    ascii.add(std::string(kDetectorSample * 2, 'a'));
    EXPECT_FALSE(ascii.decided()) << "a UTF-8 character may come later";
    EXPECT_EQ(ascii.finish(), Encoding::Utf8) << "plain ASCII takes the default";
}

TEST(TextStream, DocumentsWrittenInPiecesAreTheFileWrittenWhole) {
    const std::string doc = cases()[0].bytes;
    for (Encoding encoding : kEncodings) {
        TextFormat format;
        format.encoding = encoding;
        const ReadText read = readText(doc, Encoding::ShiftJis, LineBreak::CrLf);
        const WrittenText whole = writeText(read.bytes, read.standIns, format);
        for (std::size_t pieceSize : {1, 3, 16}) {
            SCOPED_TRACE(std::string(encodingId(encoding)) + ", pieces of " + std::to_string(pieceSize));
            std::string out;
            FileBytesStream stream(format, [&](std::string_view p) { out += p; }, pieceSize);
            feed(doc, 5, [&](std::string_view p) { stream.add(p); });
            stream.finish();
            EXPECT_EQ(stream.refused(), whole.refused);
            if (whole.ok()) {
                EXPECT_EQ(out, whole.bytes);
            }
        }
    }
}

TEST(TextStream, ShiftJisAndUtf8FilesReadIntoTheDocumentInPiecesAsWhole) {
    std::vector<Case> all = cases();
    // User-defined-area codes, bytes that are not text, CR LF pairs; mostly LF breaks.
    all.push_back({"Shift-JIS, user area", Encoding::ShiftJis,
                   verlo::test::repeat(iconvert("UTF-8", "CP932", "吾輩は猫\n") + "\xF0\x40\r\n\xF9\xFC\x80", 50) + "\n\x81"});
    // Stray continuation bytes, cut and overlong sequences, surrogates, a CR at the end.
    all.push_back({"UTF-8, not text", Encoding::Utf8,
                   "\x80\x80\x80\x80\x80" "ab\xE0\x82\xA7\xE0\x82\xA7\xED\xA0\x80\xE3\x81\x82\xC2\x41" + kJapanese + "\xE3\x81\xFF\xC0\xAF\xF0\x9F\x98" + kBeyond + "\r\x80\x80\xE3"});
    // More distinct characters than the table holds.
    std::string hangul;
    for (char32_t c = 0xAC00; c < 0xAC00 + verlo::text::kUserAreaCodes + 20; ++c) hangul += iconvert("UTF-32LE", "UTF-8", std::string_view(reinterpret_cast<const char*>(&c), 4));
    all.push_back({"UTF-8, too many characters", Encoding::Utf8, hangul + kBeyond});
    for (const Case& c : all) {
        if (!TextFileReader::reads(c.encoding)) continue;
        char pattern[] = "/tmp/verlo-stream-XXXXXX";
        const int fd = mkstemp(pattern);
        ASSERT_GE(fd, 0);
        unlink(pattern);
        ASSERT_EQ(write(fd, c.bytes.data(), c.bytes.size()), static_cast<ssize_t>(c.bytes.size()));
        const ReadText whole = readText(c.bytes, c.encoding, LineBreak::Cr);
        for (const auto& [pieceSize, ahead] : {std::pair{1, true}, {2, false}, {5, true}, {64, false}, {64, true}, {100000, true}}) {
            SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(pieceSize) + (ahead ? ", ahead" : ""));
            ASSERT_EQ(lseek(fd, 0, SEEK_SET), 0);
            TextFileReader reader(fd, c.encoding, pieceSize, ahead);
            verlo::text::StandIns table;
            std::string doc;
            for (std::string_view piece = reader.next(table); !piece.empty(); piece = reader.next(table)) {
                EXPECT_FALSE(piece.back() == '\r' && !reader.atEnd()) << "a CR LF pair cut";
                doc += piece;
            }
            EXPECT_FALSE(reader.failed());
            EXPECT_EQ(doc, whole.bytes);
            EXPECT_EQ(table.toText(), whole.standIns.toText());
            EXPECT_EQ(table.accepting(), whole.standIns.accepting());
            EXPECT_EQ(reader.encoding(), whole.format.encoding);
            EXPECT_EQ(reader.lineBreak(LineBreak::Cr), whole.format.lineBreak);
            EXPECT_EQ(reader.tooManyCharacters(), whole.tooManyCharacters);
            EXPECT_EQ(reader.wholeFile(), c.bytes);
        }
        close(fd);
    }
}

TEST(TextStream, AFileIsFoundAsItsBytesAreWhenItsRestIsScannedInTwoHalves) {
    // Files large enough to be scanned in two halves, with something that matters put around
    // the place where the second half begins and at the end; each found as its bytes are.
    constexpr std::size_t kSize = (1 << 20) + 300'000;
    constexpr std::size_t kPlace = 7;  // found from the descriptor's place on
    const std::size_t from = kPlace + CodePageStream::kPieceSize;
    const std::size_t middle = from + (kSize - from) / 2;
    const std::string_view tricky[] = {"あ", "\xEF\xBB\xBF" /* not a mark where a half begins */, "\x80", "\x1B$B",
                                       "\xF0\x9F\x98\x80"};
    enum Also { kNothing, kKanaAtStart, kStrayAtEnd };
    for (const Also also : {kNothing, kKanaAtStart, kStrayAtEnd}) {
        for (std::string_view t : tricky) {
            // Cut after each of its bytes where the second half begins, and at the end.
            for (std::size_t k = 0; k <= 5; ++k) {
                const std::size_t at = k < 5 ? middle - 3 + k : kSize - t.size();
                std::string bytes(kSize, 'a');
                if (also == kKanaAtStart) bytes.replace(10, 3, "あ");
                if (also == kStrayAtEnd) bytes.back() = '\x80';
                bytes.replace(at, t.size(), t);
                const int fd = memfd_create("text_stream_test", MFD_CLOEXEC);
                ASSERT_TRUE(fd >= 0 && write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()));
                ASSERT_EQ(lseek(fd, kPlace, SEEK_SET), static_cast<off_t>(kPlace));
                EXPECT_EQ(detectFileEncoding(fd, Encoding::Utf8Bom), detectEncoding(bytes.substr(kPlace), Encoding::Utf8Bom))
                    << t << " at " << at << ", " << also;
                EXPECT_EQ(lseek(fd, 0, SEEK_CUR), static_cast<off_t>(kPlace));
                close(fd);
            }
        }
    }
}
