// libthumbkit.so as the program loads it: by path, resolving its calls by
// name.
// Fixtures are written at test time: BMP through QImage, JPEG and PNG
// through libjpeg and libpng, which control quality, chroma sampling, bit
// depth, palette and interlacing; the other formats through their command
// line encoders.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLibrary>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <atomic>
#include <mutex>
#include <cstdio>
#include <functional>
#include <numeric>
#include <thread>
#include <vector>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include "tests/engine/jpeg_test_util.h"
#include "tests/support/hostile_files.h"
#include "tests/support/jpeg_writer.h"
#include "engine/fs/memory_budget.h"
#include "thumbkit/thumbkit.h"

namespace {

using Colours = std::function<QRgb(int x, int y)>;
const QRgb kWhite = qRgb(255, 255, 255);

// An edge x edge surface, bottom row first, black beforehand so that the
// white the library paints shows.
struct Thumb {
  explicit Thumb(int e) : edge(e), bytes(std::size_t((3 * e + 3) & ~3) * e, 0) {}
  QRgb At(int x, int y) const {
    const unsigned char* p = &bytes[std::size_t(edge - 1 - y) * ((3 * edge + 3) & ~3) + 3 * x];
    return qRgb(p[2], p[1], p[0]);
  }
  int edge;
  std::vector<unsigned char> bytes;
};

bool Near(QRgb a, QRgb b, int tol) {
  return std::abs(qRed(a) - qRed(b)) <= tol && std::abs(qGreen(a) - qGreen(b)) <= tol &&
         std::abs(qBlue(a) - qBlue(b)) <= tol;
}

// "" when the top-left w x h of `t` matches `want` within `tol` and the rest
// is pure white; else the first pixel that does not.
QString Mismatch(const Thumb& t, int w, int h, const Colours& want, int tol) {
  for (int y = 0; y < t.edge; ++y)
    for (int x = 0; x < t.edge; ++x) {
      const bool inside = x < w && y < h;
      const QRgb expected = inside ? want(x, y) : kWhite;
      if (!Near(t.At(x, y), expected, inside ? tol : 0))
        return QString("(%1,%2) is %3, want %4").arg(x).arg(y).arg(t.At(x, y), 6, 16).arg(expected, 6, 16);
    }
  return {};
}

// JPEG at quality 100 without chroma subsampling (solid areas come back
// within a level or two), progressive when the name says so; BMP (24-bit)
// and PNG through QImage.
bool WritePicture(const QString& path, int w, int h, const Colours& c) {
  // A raw stand-in: a small grey TIFF marked DNG, the picture its preview.
  if (path.endsWith(".dng"))
    return WritePicture(path + "-thumb.jpg", w, h, c) &&
           QProcess::execute("sh", {"-c",
                                    "cd \"$0\" && convert -size 16x16 xc:grey -depth 8 t.tif && mv \"$1-thumb.jpg\" "
                                    "t-thumb.jpg && exiv2 -it t.tif && exiftool -q -overwrite_original "
                                    "-DNGVersion=1.4.0.0 t.tif && mv t.tif \"$1\"",
                                    QFileInfo(path).path(), QFileInfo(path).fileName()}) == 0;
  if (path.endsWith(".webp") || path.endsWith(".tif"))
    return WritePicture(path + ".png", w, h, c) &&
           (path.endsWith(".tif")
                ? QProcess::execute("convert", {path + ".png", "-depth", "8", path})
                : QProcess::execute("cwebp", {"-quiet", "-lossless", path + ".png", "-o", path})) == 0;
  if (!path.endsWith(".jpg")) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) img.setPixel(x, y, c(x, y));
    return img.save(path);
  }
  pictray::testing::JpegShape shape{unsigned(w), unsigned(h)};
  shape.progressive = path.contains("progressive");
  return pictray::testing::WriteJpeg(QFile::encodeName(path).toStdString(), shape, [&](unsigned y, JSAMPLE* row) {
    for (int x = 0; x < w; ++x) {
      row[3 * x] = JSAMPLE(qRed(c(x, int(y))));
      row[3 * x + 1] = JSAMPLE(qGreen(c(x, int(y))));
      row[3 * x + 2] = JSAMPLE(qBlue(c(x, int(y))));
    }
  });
}

// `data`: the rows as the PNG stores them; a palette's alpha goes to tRNS.
bool WritePng(const QString& path, int w, int h, int type, int depth, bool interlaced, const QByteArray& data,
              const QList<QRgb>& palette = {}) {
  std::FILE* f = std::fopen(QFile::encodeName(path).constData(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), depth, type, interlaced, 0, 0);
  std::vector<png_color> plte;
  std::vector<png_byte> trns;
  for (QRgb p : palette) {
    plte.push_back({png_byte(qRed(p)), png_byte(qGreen(p)), png_byte(qBlue(p))});
    trns.push_back(png_byte(qAlpha(p)));
  }
  if (!plte.empty()) png_set_PLTE(png, info, plte.data(), int(plte.size()));
  if (!trns.empty()) png_set_tRNS(png, info, trns.data(), int(trns.size()), nullptr);
  png_write_info(png, info);
  std::vector<png_bytep> rows;
  for (int y = 0; y < h; ++y) rows.push_back(png_bytep(data.data()) + y * (data.size() / h));
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

// A one-colour picture of w x h (a palette of one entry, one bit a pixel),
// written a row at a time: a few hundred kilobytes however big.
bool WriteOneColourPng(const QString& path, png_uint_32 w, png_uint_32 h, bool interlaced) {
  std::FILE* f = std::fopen(QFile::encodeName(path).constData(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, w, h, 1, PNG_COLOR_TYPE_PALETTE, interlaced, 0, 0);
  png_color red{200, 30, 40};
  png_set_PLTE(png, info, &red, 1);
  png_write_info(png, info);
  const std::vector<png_byte> row((w + 7) / 8, 0);
  const int passes = png_set_interlace_handling(png);
  for (int pass = 0; pass < passes; ++pass)
    for (png_uint_32 y = 0; y < h; ++y) png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

// A grey TIFF one pixel wide and `h` tall in a single uncompressed strip,
// the strip a hole of the file: black, and nothing on the disk.
bool WriteTallTiff(const QString& path, std::uint32_t h) {
  QByteArray head("II*\0\x08\0\0\0", 8);
  const auto le = [](std::uint32_t v, int n) {
    QByteArray b;
    for (int i = 0; i < n; ++i) b += char((v >> (8 * i)) & 0xFF);
    return b;
  };
  const std::uint32_t strip = 4096;
  const std::vector<std::array<std::uint32_t, 3>> entries = {
      {256, 4, 1}, {257, 4, h}, {258, 3, 8}, {259, 3, 1}, {262, 3, 1},
      {273, 4, strip}, {277, 3, 1}, {278, 4, h}, {279, 4, h}};
  head += le(std::uint32_t(entries.size()), 2);
  for (const auto& [tag, type, value] : entries) head += le(tag, 2) + le(type, 2) + le(1, 4) + le(value, 4);
  head += le(0, 4);
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(head) == head.size() && f.resize(qint64(strip) + h);
}

QByteArray BigEndian(std::uint64_t v, int bytes) {
  QByteArray out;
  for (int i = bytes - 1; i >= 0; --i) out += char((v >> (8 * i)) & 0xFF);
  return out;
}
QByteArray Box(const char* type, const QByteArray& body) { return BigEndian(8 + body.size(), 4) + type + body; }
QByteArray FullBox(const char* type, int version, int flags, const QByteArray& body) {
  return Box(type, BigEndian(version, 1) + BigEndian(flags, 3) + body);
}
std::uint32_t Word(const QByteArray& b, qsizetype at) {
  return std::uint32_t(uchar(b[at])) << 24 | std::uint32_t(uchar(b[at + 1])) << 16 |
         std::uint32_t(uchar(b[at + 2])) << 8 | uchar(b[at + 3]);
}
// The first box of `type` among the boxes in bytes [from, to) of `b`.
QByteArray ChildBox(const QByteArray& b, const char* type, qsizetype from, qsizetype to) {
  for (qsizetype at = from; at + 8 <= to;) {
    const auto size = qsizetype(Word(b, at));
    if (size < 8) break;
    if (b.mid(at + 4, 4) == type) return b.mid(at, size);
    at += size;
  }
  return {};
}

// An n x n grid of one tile, every tile item pointing at the same coded
// bytes: the one-tile HEIC heif-enc writes, taken apart and put together
// again as a grid.
QByteArray HeifGridOfOneTile(const QByteArray& single, int n) {
  const QByteArray meta = ChildBox(single, "meta", 0, single.size());
  const QByteArray iprp = ChildBox(meta, "iprp", 12, meta.size());
  const QByteArray ipco = ChildBox(iprp, "ipco", 8, iprp.size());
  const QByteArray hvcC = ChildBox(ipco, "hvcC", 8, ipco.size());
  const QByteArray ispe = ChildBox(ipco, "ispe", 8, ipco.size());
  const QByteArray iloc = ChildBox(meta, "iloc", 12, meta.size());
  // heif-enc's one extent: four-byte base offset, offset and length.
  if (hvcC.isEmpty() || ispe.size() != 20 || iloc.size() != 34 || iloc.mid(12, 2) != QByteArray("\x44\x40", 2))
    return {};
  const QByteArray coded = single.mid(Word(iloc, 20) + Word(iloc, 26), Word(iloc, 30));
  const std::uint32_t tile = Word(ispe, 12), tiles = std::uint32_t(n * n);
  const auto metaWith = [&](std::uint32_t codedAt) {
    QByteArray infe = FullBox("infe", 2, 0, BigEndian(1, 2) + BigEndian(0, 2) + "grid" + QByteArray(1, '\0'));
    QByteArray dimg = BigEndian(1, 2) + BigEndian(tiles, 2);
    QByteArray ipma = BigEndian(tiles + 1, 4) + BigEndian(1, 2) + BigEndian(1, 1) + BigEndian(3, 1);
    QByteArray items = BigEndian(1, 2) + BigEndian(1, 2) + BigEndian(0, 2) + BigEndian(1, 2) + BigEndian(0, 4) +
                       BigEndian(8, 4);
    for (std::uint32_t id = 2; id <= tiles + 1; ++id) {
      infe += FullBox("infe", 2, 1, BigEndian(id, 2) + BigEndian(0, 2) + "hvc1" + QByteArray(1, '\0'));
      dimg += BigEndian(id, 2);
      ipma += BigEndian(id, 2) + BigEndian(2, 1) + BigEndian(0x81, 1) + BigEndian(2, 1);
      items += BigEndian(id, 2) + BigEndian(0, 2) + BigEndian(0, 2) + BigEndian(1, 2) + BigEndian(codedAt, 4) +
               BigEndian(std::uint32_t(coded.size()), 4);
    }
    const std::uint32_t side = tile * std::uint32_t(n);
    return FullBox(
        "meta", 0, 0,
        FullBox("hdlr", 0, 0, BigEndian(0, 4) + "pict" + QByteArray(13, '\0')) +
            FullBox("pitm", 0, 0, BigEndian(1, 2)) +
            FullBox("iloc", 1, 0, BigEndian(0x4400, 2) + BigEndian(tiles + 1, 2) + items) +
            FullBox("iinf", 0, 0, BigEndian(tiles + 1, 2) + infe) + FullBox("iref", 0, 0, Box("dimg", dimg)) +
            Box("iprp", Box("ipco", hvcC + ispe + FullBox("ispe", 0, 0, BigEndian(side, 4) + BigEndian(side, 4))) +
                            FullBox("ipma", 0, 0, ipma)) +
            Box("idat", BigEndian(0, 2) + BigEndian(n - 1, 1) + BigEndian(n - 1, 1) + BigEndian(side, 2) +
                            BigEndian(side, 2)));
  };
  const QByteArray ftyp = Box("ftyp", QByteArray("heic") + BigEndian(0, 4) + "mif1heic");
  const std::uint32_t codedAt = std::uint32_t(ftyp.size() + metaWith(0).size() + 8);
  return ftyp + metaWith(codedAt) + Box("mdat", coded);
}

// Whether the process's peak size tells what the library held: not while
// the address sanitizer keeps freed memory in quarantine.
#ifdef __SANITIZE_ADDRESS__
constexpr bool kResidentMeasures = false;
#else
constexpr bool kResidentMeasures = true;
#endif

// A budget that waits as the programs' does and remembers the most it held
// at once.
class RecordingBudget {
 public:
  explicit RecordingBudget(std::uint64_t total) : budget_(total) {}
  BudgetCalls Calls() {
    return {this,
            [](void* ctx, unsigned long long b) { return static_cast<RecordingBudget*>(ctx)->Acquire(b); },
            [](void* ctx, unsigned long long b) { static_cast<RecordingBudget*>(ctx)->Release(b); }, nullptr};
  }
  std::uint64_t peak() const { return peak_; }
  std::uint64_t held() const { return held_; }

 private:
  int Acquire(std::uint64_t bytes) {
    if (!budget_.Acquire(bytes)) return 0;
    const std::lock_guard<std::mutex> l(m_);
    held_ += bytes;
    peak_ = std::max(peak_, held_);
    return 1;
  }
  void Release(std::uint64_t bytes) {
    {
      const std::lock_guard<std::mutex> l(m_);
      held_ -= bytes;
    }
    budget_.Release(bytes);
  }

  pictray::fs::MemoryBudget budget_;
  std::mutex m_;
  std::uint64_t held_ = 0, peak_ = 0;
};

QByteArray Bytes(std::initializer_list<int> bytes) {
  QByteArray out;
  for (int b : bytes) out += char(b);
  return out;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Each cell of an n x n grid (cut at floor(i * length / n)) far apart in
// colour from its neighbours, never white.
QRgb CellColour(int col, int row, int n) {
  return qRgb(col * 255 / (n - 1), row * 255 / (n - 1), 60 + 120 * ((col + row) & 1));
}
int CellOf(int x, int length, int n) { return int(((std::int64_t(x) + 1) * n - 1) / length); }

}  // namespace

class ThumbkitTest : public QObject {
  Q_OBJECT

  MakeMinImageFn MMI = nullptr;
  MakeMinImageWithinFn within = nullptr;
  QLibrary lib{QString(PICTRAY_BIN_DIR) + "/libthumbkit.so"};
  QTemporaryDir dir;

  int Draw(Thumb& t, const QString& path, int part = 0, int partX = 4) {
    return MMI(t.bytes.data(), QFile::encodeName(path).constData(), t.edge, part, partX);
  }
  int DrawWithin(RecordingBudget& budget, Thumb& t, const QString& path, int part = 0, int partX = 4) {
    const BudgetCalls calls = budget.Calls();
    return within(&calls, t.bytes.data(), QFile::encodeName(path).constData(), t.edge, part, partX);
  }
  QString Path(const QString& name) const { return dir.filePath(name); }
  // Runs shell commands `make` writing "out" (and maybe more) from gradient.jpg.
  void Make(const QString& make) {
    Gradient();
    const QString script = "cd '" + dir.path() + "' && rm -f out* && " + make;
    QVERIFY2(QProcess::execute("sh", {"-c", script}) == 0, qPrintable(script));
  }
  // 1600 x 1200, red growing to the right and green downwards.
  QString Gradient() {
    if (!QFile::exists(Path("gradient.jpg")))
      WritePicture(Path("gradient.jpg"), 1600, 1200,
                   [](int x, int y) { return qRgb(x * 255 / 1599, y * 255 / 1199, 90); });
    return Path("gradient.jpg");
  }

 private slots:
  void initTestCase() {
    QVERIFY2(lib.load(), qPrintable(lib.errorString()));
    MMI = reinterpret_cast<MakeMinImageFn>(lib.resolve("MakeMinImage"));
    within = reinterpret_cast<MakeMinImageWithinFn>(lib.resolve("MakeMinImageWithin"));
    QVERIFY(MMI && within && dir.isValid());
  }

  // First, while the process's peak memory is still small. 4.2 G coded
  // pixels; then 1 G, of which a cell of 8 x 8 at edge 2000 needs 4/8 scale:
  // 2000 x 2000 decoded pixels, over a budget of 8 MiB; then a progressive
  // picture whose coefficients (864 MB) are over the budget of what may be
  // held.
  void jpegClaimingHugeSizeIsRefusedWithoutAllocating() {
    for (const auto& [file, size, edge, part, budget] :
         {std::tuple{"small.jpg", 65000, 75, 0, pictray::fs::kRunDecodeBytes},
          {"small.jpg", 32000, 2000, 1, std::uint64_t(8) << 20},
          {"small_progressive.jpg", 12000, 75, 0, pictray::fs::kRunDecodeBytes}}) {
      QVERIFY(WritePicture(Path(file), 16, 16, [](int, int) { return qRgb(9, 9, 9); }));
      const QByteArray jpeg = ReadAll(Path(file));
      const int sof = std::max(jpeg.indexOf("\xFF\xC0"), jpeg.indexOf("\xFF\xC2"));
      QVERIFY(sof > 0);
      QByteArray bomb = jpeg;
      for (int at : {sof + 5, sof + 7}) bomb.replace(at, 2, Bytes({size >> 8, size & 0xFF}));
      QVERIFY(WriteAll(Path("bomb.jpg"), bomb));
      Thumb t(edge);
      rusage before{}, after{};
      getrusage(RUSAGE_SELF, &before);
      RecordingBudget within(budget);
      QCOMPARE(DrawWithin(within, t, Path("bomb.jpg"), part, 8), 1);
      getrusage(RUSAGE_SELF, &after);
      QVERIFY2(after.ru_maxrss - before.ru_maxrss < 64 * 1024, qPrintable(QString::number(after.ru_maxrss)));
      QVERIFY(Mismatch(t, 0, 0, {}, 0).isEmpty());
    }
  }

  // Each file is made in the folder by `make` from src.jpg, a 64 x 48
  // picture of (200, 30, 40), and src.png, blue half transparent;
  // `damage` then changes it. Drawn: the colour `want` (a RAW's preview is
  // green, its own pixels red). Bombs are refused before their pixels are
  // held.
  // Pictures whose size on the disk hides what decoding them holds. Each is
  // drawn within a recording budget, and the process grows by no more than
  // what was taken from it (and a little); a budget a byte short refuses
  // it; two threads sharing a budget that holds one of them at a time both
  // draw it, the second waiting for the first.
  void hostileShapesStayWithinTheBudget_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("interlaced PNG, 10000 x 10000") << "interlaced.png";
    QTest::newRow("PNG, 10000 x 10000") << "bomb.png";
    QTest::newRow("TIFF, 1 x 20,000,000 in one strip") << "tall.tif";
    QTest::newRow("HEIC grid of one tile 361 times") << "grid.heic";
  }
  void hostileShapesStayWithinTheBudget() {
    QFETCH(QString, name);
    const QString path = Path(name);
    if (name == "interlaced.png") QVERIFY(WriteOneColourPng(path, 10000, 10000, true));
    if (name == "bomb.png") QVERIFY(WriteOneColourPng(path, 10000, 10000, false));
    if (name == "tall.tif") QVERIFY(WriteTallTiff(path, 20'000'000));
    if (name == "grid.heic") {
      QVERIFY(WritePicture(Path("tile.png"), 256, 256, [](int, int) { return qRgb(30, 160, 90); }));
      QCOMPARE(QProcess::execute("heif-enc", {"-q", "50", Path("tile.png"), "-o", Path("tile.heic")}), 0);
      const QByteArray grid = HeifGridOfOneTile(ReadAll(Path("tile.heic")), 19);
      QVERIFY(!grid.isEmpty() && WriteAll(path, grid));
    }
    QVERIFY(QFileInfo(path).size() < (std::int64_t(1) << 20) || name == "tall.tif");

    RecordingBudget alone(pictray::fs::kRunDecodeBytes);
    Thumb t(100);
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    QCOMPARE(DrawWithin(alone, t, path), 0);
    getrusage(RUSAGE_SELF, &after);
    const std::uint64_t peak = alone.peak();
    QVERIFY(peak > 0 && alone.held() == 0);
    const std::uint64_t grown = std::uint64_t(std::max(0L, after.ru_maxrss - before.ru_maxrss)) * 1024;
    if (kResidentMeasures)
      QVERIFY2(grown <= peak + (std::uint64_t(32) << 20),
               qPrintable(QString("grew %1 bytes, took %2").arg(grown).arg(peak)));

    RecordingBudget short_(peak - 1);
    Thumb refused(100);
    QCOMPARE(DrawWithin(short_, refused, path), 1);
    QVERIFY(Mismatch(refused, 0, 0, {}, 0).isEmpty());

    RecordingBudget shared(peak + peak / 2);
    Thumb first(100), second(100);
    int other = -1;
    std::thread worker([&] { other = DrawWithin(shared, second, path); });
    const int mine = DrawWithin(shared, first, path);
    worker.join();
    QCOMPARE(mine, 0);
    QCOMPARE(other, 0);
    QCOMPARE(shared.peak(), peak);
    QVERIFY(first.bytes == t.bytes && second.bytes == t.bytes);
  }

  void otherFormats_data() {
    QTest::addColumn<QString>("make");  // shell commands writing "out"
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("result");
    QTest::addColumn<QRgb>("want");
    const QRgb red = qRgb(200, 30, 40), blue = qRgb(128, 128, 255), green = qRgb(20, 160, 60), none = kWhite;
    const QString heic = "heif-enc -q 90 src.jpg -o out", avif = "heif-enc -A -q 90 src.jpg -o out",
                  webp = "cwebp -quiet src.jpg -o out", tiff = "convert src.jpg -depth 8 out.tif && mv out.tif out",
                  raw = "convert src.jpg -depth 8 out.tif && convert -size 64x48 xc:'rgb(20,160,60)' out-thumb.jpg"
                        " && exiv2 -it out.tif && exiftool -q -overwrite_original -DNGVersion=1.4.0.0 out.tif"
                        " && mv out.tif out";
    const auto cut = [](int fraction) {
      return QString("head -c $(($(stat -c %s out) / %1)) out > cut && mv cut out").arg(fraction);
    };
    QTest::newRow("HEIC") << heic << "" << 0 << red;
    QTest::newRow("AVIF") << avif << "" << 0 << red;
    QTest::newRow("HEIC known by a compatible brand") << heic << "perl -0777 -pi -e 's/ftypheic/ftypzzzz/' out" << 0 << red;
    QTest::newRow("WebP") << webp << "" << 0 << red;
    QTest::newRow("WebP with alpha") << "cwebp -quiet -lossless src.png -o out" << "" << 0 << blue;
    QTest::newRow("TIFF in strips") << tiff << "" << 0 << red;
    for (const char* options :
         {"-colorspace CMYK", "-type Palette", "-compress JPEG", "-compress LZW -define tiff:rows-per-strip=5"})
      QTest::newRow(qPrintable(QString("TIFF ") + options))
          << QString("convert src.jpg ") + options + " out.tif && mv out.tif out" << "" << 0 << red;
    QTest::newRow("TIFF in tiles, with alpha")
        << "convert src.png -define tiff:tile-geometry=32x32 out.tif && mv out.tif out" << "" << 0 << blue;
    QTest::newRow("DNG from its preview") << raw << "" << 0 << green;
    QTest::newRow("TIFF with a thumbnail, from its own pixels")
        << QString(raw).replace(" -DNGVersion=1.4.0.0", " -Software=x") << "" << 0 << red;
    QTest::newRow("reduced TIFF without a preview")
        << tiff + " && exiftool -q -overwrite_original -SubfileType#=1 out" << "" << 1 << none;
    for (const auto& [name, make] : {std::pair{"HEIC", heic}, {"AVIF", avif}, {"WebP", webp}, {"TIFF", tiff}})
      QTest::newRow(qPrintable(QString(name) + " cut short")) << make << cut(2) << 1 << none;
    QTest::newRow("DNG cut inside its preview") << raw << cut(20) << 1 << none;
    QTest::newRow("HEIC claiming 20000 x 20000")
        << heic << "perl -0777 -pi -e 's/ispe\\0{4}.{8}/ispe\\0\\0\\0\\0\\0\\0\\x4e\\x20\\0\\0\\x4e\\x20/gs' out" << 1
        << none;
    QTest::newRow("TIFF claiming 60000 x 60000")
        << tiff
        << "perl -0777 -pi -e 's/([\\x00\\x01])\\x01\\x03\\x00\\x01\\x00{3}..\\x00\\x00/"
           "$1\\x01\\x04\\x00\\x01\\x00\\x00\\x00\\x60\\xea\\x00\\x00/gs' out"
        << 1 << none;
    QTest::newRow("text named .heic") << "echo just some text > out" << "" << 9 << none;
  }
  void otherFormats() {
    QFETCH(QString, make);
    QFETCH(QString, damage);
    QFETCH(int, result);
    QFETCH(QRgb, want);
    const QString sources = "convert -size 64x48 xc:'rgb(200,30,40)' -quality 95 src.jpg &&"
                            " convert -size 64x48 xc:'rgba(0,0,255,0.5)' src.png";
    const QString script = "cd '" + dir.path() + "' && rm -f out* && " + sources + " && " + make +
                           (damage.isEmpty() ? "" : " && " + damage);
    QVERIFY2(QProcess::execute("sh", {"-c", script}) == 0, qPrintable(script));
    Thumb t(20);
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    QCOMPARE(Draw(t, Path("out")), result);
    getrusage(RUSAGE_SELF, &after);
    QVERIFY(after.ru_maxrss - before.ru_maxrss < 64 * 1024);
    const QString m = Mismatch(
        t, result == 0 ? 20 : 0, result == 0 ? 15 : 0, [&](int, int) { return want; }, 6);
    QVERIFY2(m.isEmpty(), qPrintable(m));
  }

  // The colour runs draw from two workers and the preview from a third:
  // every decoder at once gives what it gives alone.
  void formatsDrawAlikeFromSeveralThreads() {
    const QString script = "cd '" + dir.path() + "' && convert -size 300x200 gradient:red-blue -quality 95 m.jpg"
                           " && heif-enc -q 60 m.jpg -o m.heic && heif-enc -A -q 60 m.jpg -o m.avif && cwebp -quiet"
                           " m.jpg -o m.webp && convert m.jpg -depth 8 m.tif && cp m.tif m.dng && cp m.jpg m-thumb.jpg"
                           " && exiv2 -it m.dng && exiftool -q -overwrite_original -DNGVersion=1.4.0.0 m.dng";
    QVERIFY2(QProcess::execute("sh", {"-c", script}) == 0, qPrintable(script));
    const QStringList files = {"m.heic", "m.avif", "m.webp", "m.tif", "m.dng", "m.jpg"};
    std::vector<Thumb> alone;
    for (const QString& f : files) {
      alone.emplace_back(40);
      QCOMPARE(Draw(alone.back(), Path(f), 2, 2), 0);
    }
    std::atomic<int> differing{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
      threads.emplace_back([&, t] {
        for (int round = 0; round < 3 * int(files.size()); ++round) {
          const int i = (round + t) % int(files.size());
          Thumb thumb(40);
          if (Draw(thumb, Path(files[i]), 2, 2) != 0 || thumb.bytes != alone[std::size_t(i)].bytes) ++differing;
        }
      });
    for (std::thread& t : threads) t.join();
    QCOMPARE(differing.load(), 0);
  }

  void wholePictureKeepsItsAspectTopLeftOnWhite_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("fit");
    QTest::newRow("wide BMP") << "wide.bmp" << QSize(300, 150) << QSize(75, 37);
    QTest::newRow("tall BMP") << "tall.bmp" << QSize(150, 300) << QSize(37, 75);
    QTest::newRow("wide JPEG at 1/8") << "wide.jpg" << QSize(1600, 600) << QSize(75, 28);
    QTest::newRow("tall JPEG at 3/8") << "tall.jpg" << QSize(99, 200) << QSize(37, 75);
    QTest::newRow("small PNG enlarged") << "square.png" << QSize(40, 40) << QSize(75, 75);
  }
  void wholePictureKeepsItsAspectTopLeftOnWhite() {
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(QSize, fit);
    const Colours red = [](int, int) { return qRgb(200, 30, 40); };
    QVERIFY(WritePicture(Path(file), size.width(), size.height(), red));
    Thumb t(75);
    QCOMPARE(Draw(t, Path(file)), 0);
    const QString m = Mismatch(t, fit.width(), fit.height(), red, file.endsWith(".jpg") ? 3 : 0);
    QVERIFY2(m.isEmpty(), qPrintable(m));
  }

  void cellShowsOnlyItsOwnColour_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("n");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("edge");
    QTest::addColumn<int>("tol");
    // Sizes the grid does not divide: cells of 50/51 x 39/40 pixels.
    QTest::newRow("4x4 PNG") << "cells4.png" << 4 << QSize(203, 157) << 75 << 0;
    QTest::newRow("8x8 BMP") << "cells8.bmp" << 8 << QSize(203, 157) << 75 << 0;
    QTest::newRow("8x8 BMP reduced") << "cells8r.bmp" << 8 << QSize(1203, 957) << 75 << 0;
    QTest::newRow("8x8 JPEG enlarged") << "cells8.jpg" << 8 << QSize(256, 256) << 75 << 4;
    QTest::newRow("4x4 progressive JPEG at 3/8") << "progressive4.jpg" << 4 << QSize(256, 192) << 20 << 4;
    QTest::newRow("8x8 WebP cropped") << "cells8.webp" << 8 << QSize(1203, 957) << 20 << 4;
    QTest::newRow("4x4 TIFF") << "cells4.tif" << 4 << QSize(203, 157) << 75 << 0;
    QTest::newRow("4x4 DNG preview at 3/8") << "cells4.dng" << 4 << QSize(256, 192) << 20 << 4;
  }
  void cellShowsOnlyItsOwnColour() {
    QFETCH(QString, file);
    QFETCH(int, n);
    QFETCH(QSize, size);
    QFETCH(int, edge);
    QFETCH(int, tol);
    const int w = size.width(), h = size.height();
    QVERIFY(
        WritePicture(Path(file), w, h, [&](int x, int y) { return CellColour(CellOf(x, w, n), CellOf(y, h, n), n); }));
    for (int part = 1; part <= n * n; ++part) {
      Thumb t(edge);
      QCOMPARE(Draw(t, Path(file), part, n), 0);
      const QRgb own = CellColour((part - 1) % n, (part - 1) / n, n);
      // No cell is higher than wide: drawn full width and at least half high.
      for (const QPoint p : {QPoint(0, 0), QPoint(edge - 1, 0), QPoint(0, edge / 2)})
        QVERIFY2(Near(t.At(p.x(), p.y()), own, tol), qPrintable(QString("cell %1").arg(part)));
      for (int y = 0; y < edge; ++y)
        for (int x = 0; x < edge; ++x)
          QVERIFY2(Near(t.At(x, y), own, tol) || t.At(x, y) == kWhite,
                   qPrintable(QString("cell %1 (%2,%3)").arg(part).arg(x).arg(y)));
    }
  }

  // Every target pixel is the mean of the area it covers: compared with a
  // plain two-dimensional integral, it is that mean rounded.
  void areaAverageIsExact_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("edge");
    QTest::newRow("7x5 into 3") << QSize(7, 5) << 3;
    QTest::newRow("5x7 into 4") << QSize(5, 7) << 4;
    QTest::newRow("3x2 into 7, enlarged") << QSize(3, 2) << 7;
    QTest::newRow("1000x9 into 13") << QSize(1000, 9) << 13;
    QTest::newRow("123x321 into 100") << QSize(123, 321) << 100;
  }
  void areaAverageIsExact() {
    QFETCH(QSize, size);
    QFETCH(int, edge);
    const int w = size.width(), h = size.height();
    const Colours noise = [](int x, int y) {
      const unsigned v = unsigned(x) * 2654435761u ^ (unsigned(y) * 40503u + 7);
      return qRgb(int(v % 256), int(v / 256 % 256), int(v / 65536 % 256));
    };
    QVERIFY(WritePicture(Path("noise.bmp"), w, h, noise));
    Thumb t(edge);
    QCOMPARE(Draw(t, Path("noise.bmp")), 0);
    const int fitW = w >= h ? edge : std::max(1, w * edge / h), fitH = h >= w ? edge : std::max(1, h * edge / w);
    const double fx = double(w) / fitW, fy = double(h) / fitH;
    for (int ty = 0; ty < fitH; ++ty)
      for (int tx = 0; tx < fitW; ++tx) {
        double sum[3] = {};
        for (int y = int(ty * fy); y < h && y < (ty + 1) * fy; ++y)
          for (int x = int(tx * fx); x < w && x < (tx + 1) * fx; ++x) {
            const double a = (std::min(x + 1.0, (tx + 1) * fx) - std::max(double(x), tx * fx)) *
                             (std::min(y + 1.0, (ty + 1) * fy) - std::max(double(y), ty * fy));
            for (int c = 0; c < 3; ++c) sum[c] += a * (noise(x, y) >> (16 - 8 * c) & 0xFF);
          }
        for (int c = 0; c < 3; ++c) {
          const int got = t.At(tx, ty) >> (16 - 8 * c) & 0xFF;
          QVERIFY2(std::abs(got - sum[c] / (fx * fy)) <= 0.5 + 1e-9,
                   qPrintable(QString("(%1,%2) %3 vs %4").arg(tx).arg(ty).arg(got).arg(sum[c] / (fx * fy))));
        }
      }
    QVERIFY(Mismatch(
                t, fitW, fitH, [&](int x, int y) { return t.At(x, y); }, 0)
                .isEmpty());
  }

  // A gradient drawn from the 1/8 decode lands where it belongs, in the
  // right channels. Drawn twice their size, so decoded at full scale: the
  // 3 x 2 grey fixture (top row from red, green, blue; then white, black,
  // grey) and the Adobe CMYK one (stored inverted), red above blue.
  void jpegColourAndPlacement() {
    Thumb t(100);
    QCOMPARE(Draw(t, Gradient()), 0);
    const QString m = Mismatch(
        t, 100, 75, [](int x, int y) { return qRgb((x + 0.5) * 2.55, (y + 0.5) * 3.4, 90); }, 3);
    QVERIFY2(m.isEmpty(), qPrintable(m));
    Thumb grey(6);
    QCOMPARE(Draw(grey, QString(PICTRAY_TEST_DATA) + "/jpeg/grey_3x2.jpg"), 0);
    const int levels[6] = {76, 150, 29, 255, 0, 128};
    const QString g = Mismatch(
        grey, 6, 4, [&](int x, int y) { return 0x10101u * levels[y / 2 * 3 + x / 2]; }, 6);
    QVERIFY2(g.isEmpty(), qPrintable(g));
    Thumb cmyk(8);
    QCOMPARE(Draw(cmyk, QString(PICTRAY_TEST_DATA) + "/jpeg/cmyk_4x2.jpg"), 0);
    const QString c = Mismatch(
        cmyk, 8, 4, [](int, int y) { return y < 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255); }, 12);
    QVERIFY2(c.isEmpty(), qPrintable(c));
  }

  // Data that ends early only warns: the whole picture and every cell are
  // drawn, what the data does not reach in flat grey.
  void cutJpegDrawsWhatDecodes() {
    const QByteArray jpeg = ReadAll(Gradient());
    for (const QByteArray& cut : {jpeg.left(jpeg.size() * 6 / 10), jpeg.left(jpeg.size() - 2)}) {
      QVERIFY(WriteAll(Path("cut.jpg"), cut));
      for (const int part : {0, 1, 4, 16}) {
        Thumb t(50);
        QCOMPARE(Draw(t, Path("cut.jpg"), part, 4), 0);
      }
    }
    Thumb bottom(50);
    QVERIFY(WriteAll(Path("cut.jpg"), jpeg.left(jpeg.size() * 6 / 10)));
    Draw(bottom, Path("cut.jpg"), 16, 4);
    QVERIFY(Near(bottom.At(2, 2), qRgb(128, 128, 128), 2));
  }

  // One reading of the file draws every cell as its own call does: pixels
  // and answers, where the data ends early or turns bad at its end, and
  // with cells a pixel apart at a scale's threshold (3 x 3 at edge 67).
  void manyCellsDrawAsEachAlone_data() {
    QTest::addColumn<QString>("make");  // shell commands writing "out" from gradient.jpg
    QTest::addColumn<int>("partX");
    QTest::addColumn<int>("edge");
    const QString tiff = "convert gradient.jpg -depth 8 out.tif";
    QTest::newRow("JPEG") << "cp gradient.jpg out" << 4 << 100;
    QTest::newRow("JPEG at two scales") << "cp gradient.jpg out" << 3 << 67;
    QTest::newRow("JPEG cut short") << "head -c $(($(stat -c %s gradient.jpg) * 6 / 10)) gradient.jpg > out" << 4 << 100;
    QTest::newRow("JPEG with a second frame header before its end")
        << "perl -0777 -pe 's/\\xFF\\xD9$/\\xFF\\xC0\\xFF\\xD9/' gradient.jpg > out" << 4 << 100;
    QTest::newRow("PNG") << "convert gradient.jpg png:out" << 4 << 100;
    QTest::newRow("interlaced PNG") << "convert gradient.jpg -interlace PNG png:out" << 3 << 67;
    QTest::newRow("TIFF in strips") << "convert gradient.jpg -depth 8 tif:out" << 4 << 100;
    QTest::newRow("TIFF in tiles") << "convert gradient.jpg -depth 8 -define tiff:tile-geometry=256x256 tif:out" << 3
                                   << 67;
    QTest::newRow("BMP") << "convert gradient.jpg bmp3:out" << 4 << 100;
    QTest::newRow("HEIC") << "heif-enc -q 60 gradient.jpg -o out" << 4 << 100;
    QTest::newRow("WebP") << "cwebp -quiet gradient.jpg -o out" << 2 << 50;
    QTest::newRow("DNG from its preview")
        << tiff + " && cp gradient.jpg out-thumb.jpg && exiv2 -it out.tif"
                  " && exiftool -q -overwrite_original -DNGVersion=1.4.0.0 out.tif && mv out.tif out"
        << 4 << 100;
    QTest::newRow("text") << "echo text > out" << 2 << 50;
  }
  void manyCellsDrawAsEachAlone() {
    QFETCH(QString, make);
    QFETCH(int, partX);
    QFETCH(int, edge);
    Make(make);
    const auto many = reinterpret_cast<MakeMinImagesFn>(lib.resolve("MakeMinImages"));
    QVERIFY(many);
    std::vector<int> parts;
    std::vector<Thumb> together;
    std::vector<unsigned char*> surfaces;
    for (int part = 1; part <= partX * partX; ++part) {
      parts.push_back(part);
      together.emplace_back(edge);
    }
    for (Thumb& t : together) surfaces.push_back(t.bytes.data());
    std::vector<int> results(parts.size(), -1);
    const QByteArray path = QFile::encodeName(Path("out"));
    many(surfaces.data(), path.constData(), edge, parts.data(), int(parts.size()), partX, results.data());
    for (std::size_t i = 0; i < parts.size(); ++i) {
      Thumb alone(edge);
      QCOMPARE(results[i], MMI(alone.bytes.data(), path.constData(), edge, parts[i], partX));
      QVERIFY2(alone.bytes == together[i].bytes, qPrintable(QString("cell %1").arg(parts[i])));
    }
  }

  // The caller's open descriptor draws every part and hands every row as
  // the path does, and is left open where it was.
  void fdFormsReadAsPathForms_data() { manyCellsDrawAsEachAlone_data(); }
  void fdFormsReadAsPathForms() {
    QFETCH(QString, make);
    QFETCH(int, partX);
    QFETCH(int, edge);
    Make(make);
    const auto manyWithin = reinterpret_cast<MakeMinImagesWithinFn>(lib.resolve("MakeMinImagesWithin"));
    const auto manyFd = reinterpret_cast<MakeMinImagesFdWithinFn>(lib.resolve("MakeMinImagesFdWithin"));
    const auto rows = reinterpret_cast<PictureRowsWithinFn>(lib.resolve("PictureRowsWithin"));
    const auto rowsFd = reinterpret_cast<PictureRowsFdWithinFn>(lib.resolve("PictureRowsFdWithin"));
    QVERIFY(manyWithin && manyFd && rows && rowsFd);
    const QByteArray path = QFile::encodeName(Path("out"));
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    QCOMPARE(::lseek(fd, 7, SEEK_SET), off_t(7));
    RecordingBudget budget(1u << 30);
    const BudgetCalls calls = budget.Calls();
    std::vector<int> parts(std::size_t(partX * partX + 1));
    std::iota(parts.begin(), parts.end(), 0);
    const auto draw = [&](auto call, auto file, std::vector<int>& results) {
      std::vector<Thumb> thumbs(parts.size(), Thumb(edge));
      std::vector<unsigned char*> surfaces;
      for (Thumb& t : thumbs) surfaces.push_back(t.bytes.data());
      results.assign(parts.size(), -1);
      results.push_back(call(&calls, surfaces.data(), file, edge, parts.data(), int(parts.size()), partX,
                             results.data()));
      std::vector<unsigned char> all;
      for (const Thumb& t : thumbs) all.insert(all.end(), t.bytes.begin(), t.bytes.end());
      return all;
    };
    std::vector<int> byPath, byFd;
    QVERIFY(draw(manyFd, fd, byFd) == draw(manyWithin, path.constData(), byPath));
    QCOMPARE(byFd, byPath);
    const auto collect = [](void* ctx, const unsigned char* bgr, unsigned width, unsigned) {
      static_cast<QByteArray*>(ctx)->append(reinterpret_cast<const char*>(bgr), qsizetype(3 * width));
      return 1;
    };
    QByteArray pathRows, fdRows;
    QCOMPARE(rowsFd(&calls, fd, collect, &fdRows), rows(&calls, path.constData(), collect, &pathRows));
    QVERIFY(fdRows == pathRows);
    QCOMPARE(budget.held(), std::uint64_t(0));
    QCOMPARE(::lseek(fd, 0, SEEK_CUR), off_t(7));
    QCOMPARE(::close(fd), 0);
  }

  void pngVariants_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("depth");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QList<QRgb>>("palette");
    QTest::addColumn<QList<QRgb>>("want");  // 2 x 1, or 3 x 3 interlaced
    QTest::newRow("palette, one entry transparent")
        << PNG_COLOR_TYPE_PALETTE << 8 << QByteArray("\0\1", 2)
        << QList<QRgb>{qRgba(255, 0, 0, 255), qRgba(0, 255, 0, 0)} << QList<QRgb>{qRgb(255, 0, 0), kWhite};
    QTest::newRow("palette of 2 bits") << PNG_COLOR_TYPE_PALETTE << 2 << QByteArray("\x10", 1)
                                       << QList<QRgb>{qRgb(0, 0, 255), qRgb(255, 255, 0)}
                                       << QList<QRgb>{qRgb(0, 0, 255), qRgb(255, 255, 0)};
    QTest::newRow("RGBA, half transparent") << PNG_COLOR_TYPE_RGBA << 8 << QByteArray("\xFF\0\0\x80\0\0\xFF\xFF", 8)
                                            << QList<QRgb>{} << QList<QRgb>{qRgb(255, 127, 127), qRgb(0, 0, 255)};
    QTest::newRow("grey and alpha") << PNG_COLOR_TYPE_GRAY_ALPHA << 8 << QByteArray("\0\0\x64\xFF", 4) << QList<QRgb>{}
                                    << QList<QRgb>{kWhite, qRgb(100, 100, 100)};
    QTest::newRow("grey of 16 bits") << PNG_COLOR_TYPE_GRAY << 16 << QByteArray("\xFF\xFF\x12\x34", 4) << QList<QRgb>{}
                                     << QList<QRgb>{kWhite, qRgb(18, 18, 18)};
    QTest::newRow("RGB of 16 bits") << PNG_COLOR_TYPE_RGB << 16
                                    << QByteArray("\x80\x80\0\0\xFF\xFF\0\0\0\0\x12\x34", 12) << QList<QRgb>{}
                                    << QList<QRgb>{qRgb(128, 0, 255), qRgb(0, 0, 18)};
    QByteArray nine;
    QList<QRgb> nineColours;
    for (int i = 0; i < 9; ++i) {
      nineColours << qRgb(25 * i, 255 - 25 * i, 100 + 10 * i);
      nine += Bytes({25 * i, 255 - 25 * i, 100 + 10 * i});
    }
    QTest::newRow("3x3 interlaced") << PNG_COLOR_TYPE_RGB << 8 << nine << QList<QRgb>{} << nineColours;
  }
  void pngVariants() {
    QFETCH(int, type);
    QFETCH(int, depth);
    QFETCH(QByteArray, data);
    QFETCH(QList<QRgb>, palette);
    QFETCH(QList<QRgb>, want);
    const bool interlaced = want.size() == 9;
    const int w = interlaced ? 3 : 2, h = interlaced ? 3 : 1;
    QVERIFY(WritePng(Path("v.png"), w, h, type, depth, interlaced, data, palette));
    Thumb t(w);
    QCOMPARE(Draw(t, Path("v.png")), 0);
    const QString m = Mismatch(
        t, w, h, [&](int x, int y) { return want[y * w + x]; }, 1);
    QVERIFY2(m.isEmpty(), qPrintable(m));
  }

  // 1 for what cannot be read, 9 for what is no JPEG, PNG or BMP; the
  // square is white either way.
  void badFileAnswersAndLeavesTheSquareWhite_data() {
    QTest::addColumn<QByteArray>("bytes");  // null: no file at all
    QTest::addColumn<int>("want");
    const QByteArray jpeg = ReadAll(QString(PICTRAY_TEST_DATA) + "/jpeg/progressive_64x48.jpg");
    QVERIFY(WritePng(Path("ok.png"), 2, 1, PNG_COLOR_TYPE_RGB, 8, false, QByteArray(6, 'x')));
    const QByteArray png = ReadAll(Path("ok.png"));
    QVERIFY(WritePicture(Path("ok.bmp"), 5, 5, [](int, int) { return 0u; }));
    const QByteArray bmp = ReadAll(Path("ok.bmp"));
    QImage indexed(4, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(1, 2, 3)});
    indexed.fill(0);
    QVERIFY(indexed.save(Path("indexed.bmp")));
    // IHDR claiming 20000 x 20000, its checksum made right.
    QByteArray bigPng = png;
    bigPng.replace(16, 8, QByteArray("\0\0\x4E\x20\0\0\x4E\x20", 8));
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(bigPng.constData() + 12), 17);
    bigPng.replace(29, 4, Bytes({int(crc >> 24), int(crc >> 16 & 0xFF), int(crc >> 8 & 0xFF), int(crc & 0xFF)}));
    QTest::newRow("missing") << QByteArray() << 1;
    QTest::newRow("empty") << QByteArray("") << 1;
    QTest::newRow("JPEG of 200 scans") << QByteArray::fromStdString(
                                             pictray::testing::WithScans(jpeg.toStdString(), 200, 1))
                                      << 1;
    QTest::newRow("JPEG start, then noise") << QByteArray("\xFF\xD8\x12\x34\x56\x78 not a picture", 20) << 1;
    QTest::newRow("PNG cut short") << png.left(png.size() - 20) << 1;
    QTest::newRow("PNG signature, then noise") << png.left(8) + QByteArray(40, '\x55') << 1;
    QTest::newRow("PNG over the pixel budget") << bigPng << 1;
    QTest::newRow("BMP cut short") << bmp.left(bmp.size() - 10) << 1;
    QTest::newRow("8-bit BMP") << ReadAll(Path("indexed.bmp")) << 1;
    QTest::newRow("GIF") << QByteArray("GIF89a\x01\0\x01\0\0\0\0;", 14) << 9;
    for (const QByteArray& start : {QByteArray("\0\0\0\x18" "ftypheic", 12), QByteArray("\0\0\0\x18" "ftypavif", 12),
                                    QByteArray("\0\0\0\x18" "ftypcrx ", 12), QByteArray("RIFF\0\0\0\0WEBPVP8 ", 16),
                                    QByteArray("MM\0*\0\0\0\x08", 8), QByteArray("IIRO\x08\0\0\0", 8),
                                    QByteArray("FUJIFILMCCD-RAW ")})
      QTest::newRow(qPrintable("signature " + start.toHex() + ", then noise")) << start + QByteArray(300, '\x5A') << 1;
    QTest::newRow("TIFF without a directory") << QByteArray("II*\0\x08\0\0\0", 8) << 1;
    QTest::newRow("text") << QByteArray("just some text\n") << 9;
  }
  void badFileAnswersAndLeavesTheSquareWhite() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, want);
    const QString path = Path(bytes.isNull() ? "missing" : "bad");
    if (!bytes.isNull()) QVERIFY(WriteAll(path, bytes));
    Thumb t(20);
    QCOMPARE(Draw(t, path), want);
    QVERIFY(Mismatch(t, 0, 0, {}, 0).isEmpty());
  }

  // Files that once crashed the raw preview's library or cost gigabytes:
  // unreadable, drawn in a child so that a crash fails its row alone.
  void hostileFileIsUnreadableWithinBounds_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CRW with heaps 100,000 deep") << QByteArray::fromStdString(pictray::testing::DeepCrw(100000));
    QTest::newRow("CR3 of 100,000 nested boxes") << QByteArray::fromStdString(pictray::testing::NestedCr3(100000));
    QTest::newRow("PNG whose text chunk claims 2 GiB")
        << QByteArray::fromStdString(pictray::testing::PngClaimingHugeText());
  }
  void hostileFileIsUnreadableWithinBounds() {
    QFETCH(QByteArray, bytes);
    QVERIFY(WriteAll(Path("hostile"), bytes));
    const std::string failure = pictray::testing::InChildProcess([&] {
      Thumb t(20);
      return Draw(t, Path("hostile")) == 1 && Mismatch(t, 0, 0, {}, 0).isEmpty();
    });
    QVERIFY2(failure.empty(), failure.c_str());
  }

  void invalidArgumentsAnswerOne() {
    QVERIFY(WritePicture(Path("arg.bmp"), 4, 4, [](int, int) { return qRgb(1, 2, 3); }));
    const QByteArray name = QFile::encodeName(Path("arg.bmp"));
    const char* path = name.constData();
    Thumb t(10);
    unsigned char* s = t.bytes.data();
    for (const auto& [surface, p, edge, part, partX] : {std::tuple{(unsigned char*)nullptr, path, 10, 0, 4},
                                                        {s, nullptr, 10, 0, 4},
                                                        {s, path, 0, 0, 4},
                                                        {s, path, -5, 0, 4},
                                                        {s, path, 10, -1, 4},
                                                        {s, path, 10, 17, 4},
                                                        {s, path, 10, 1, 0},
                                                        {s, path, 10, 0, -3},
                                                        {s, path, 10, 2147483647, 46340}})
      QCOMPARE(MMI(surface, p, edge, part, partX), 1);
    QVERIFY(Mismatch(t, 0, 0, {}, 0).isEmpty());
    // The last cell of an 8 x 8 grid over 4 x 4 pixels is still a pixel.
    QCOMPARE(MMI(s, path, 10, 64, 8), 0);
    QCOMPARE(t.At(9, 9), qRgb(1, 2, 3));
    // A descriptor that is not open, or open on no regular file.
    const auto manyFd = reinterpret_cast<MakeMinImagesFdWithinFn>(lib.resolve("MakeMinImagesFdWithin"));
    const auto rowsFd = reinterpret_cast<PictureRowsFdWithinFn>(lib.resolve("PictureRowsFdWithin"));
    const int folder = ::open(QFile::encodeName(dir.path()).constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(manyFd && rowsFd && folder >= 0);
    RecordingBudget budget(1u << 20);
    const BudgetCalls calls = budget.Calls();
    const int whole = 0;
    for (int fd : {-1, folder}) {
      int result = -1;
      QCOMPARE(manyFd(&calls, &s, fd, 10, &whole, 1, 4, &result), 1);
      QCOMPARE(result, 1);
      QCOMPARE(rowsFd(&calls, fd, [](void*, const unsigned char*, unsigned, unsigned) { return 1; }, nullptr), 1);
    }
    QVERIFY(Mismatch(t, 0, 0, {}, 0).isEmpty());
    QCOMPARE(::close(folder), 0);
  }
};

QTEST_MAIN(ThumbkitTest)
#include "pictray_thumbkit_test.moc"
