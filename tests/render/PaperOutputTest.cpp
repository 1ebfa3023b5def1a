#include "sim/render/PaperOutput.h"

#include <gtest/gtest.h>

#include <QColorSpace>

#include <unistd.h>

#include <fstream>

#include "tests/render/RenderStream.h"

namespace veltra::sim {
namespace {

using namespace test;

class PaperOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("veltra-paper-") + info->name() + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::filesystem::path dir_;
};

TEST(PageFilesName, NumbersHaveAtLeastThreeDigits) {
    EXPECT_EQ(PageFiles::fileName(1), "page-001.png");
    EXPECT_EQ(PageFiles::fileName(42), "page-042.png");
    EXPECT_EQ(PageFiles::fileName(1000), "page-1000.png");
}

// A page is written as an indexed image while its colours fit a table of 256, else as it is;
// either way every pixel reads back as it was.
TEST_F(PaperOutputTest, PagesReadBackPixelForPixel) {
    PageFiles files(dir_);
    ASSERT_TRUE(files.prepare()) << files.error();
    for (const int colours : {1, 255, 256}) {
        SCOPED_TRACE(colours);
        QImage page(300, 40, QImage::Format_RGB888);
        page.fill(Qt::white);
        for (int i = 0; i < colours; ++i) {
            page.setPixel(i % 300, 20 + i / 300, qRgb(i % 256, 255 - i / 256 * 7, 17));
        }
        EXPECT_EQ(indexedPage(page).has_value(), colours + 1 <= 256)
            << "white and the colours laid";
        ASSERT_TRUE(files.write(page, colours)) << files.error();
        QImage back(QString::fromStdString((dir_ / PageFiles::fileName(colours)).string()));
        // The file says its colours are sRGB, which the page's are; the pixels are the page's.
        EXPECT_EQ(back.colorSpace(), QColorSpace(QColorSpace::SRgb));
        back.setColorSpace(page.colorSpace());
        EXPECT_EQ(back.convertToFormat(QImage::Format_RGB888), page);
    }
}

TEST_F(PaperOutputTest, WritesEachEjectedPageAsTheRecordGrows) {
    PaperOutput paper(dir_ / "sub", MechanismErrors{}, StoredAdjustments{});
    ASSERT_TRUE(paper.prepare()) << paper.error();

    Stream s;
    s.prepare(1, kVsd3, false).band(kMagenta, 1, linesWith(60, 0, 0, Line{0xC0})).ff();
    std::vector<PrintCommand> record = s.commands();
    paper.catchUp(record);
    EXPECT_EQ(paper.pagesWritten(), 1);
    paper.catchUp(record);  // nothing new: nothing printed twice
    EXPECT_EQ(paper.pagesWritten(), 1);

    Stream more;
    more.prepare(1, kVsd3, false).band(kBlack, 1, linesWith(180, 0, 0, Line{0xC0}));
    record.insert(record.end(), more.commands().begin(), more.commands().end());
    paper.catchUp(record);
    EXPECT_EQ(paper.pagesWritten(), 1);  // the second sheet is still in the printer
    Stream feed;
    feed.ff();
    record.push_back(feed.commands().front());
    paper.catchUp(record);
    EXPECT_EQ(paper.pagesWritten(), 2);
    EXPECT_TRUE(paper.error().empty());

    QImage first(QString::fromStdString((dir_ / "sub" / "page-001.png").string()));
    QImage second(QString::fromStdString((dir_ / "sub" / "page-002.png").string()));
    ASSERT_FALSE(first.isNull());
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(first.size(), QSize(2976, 4208));
    const int x = PageRenderer::kLeftMargin;
    const int magentaRow = PageRenderer::kDefaultTopMargin + 120;
    EXPECT_GT(qRed(first.pixel(x, magentaRow)), 150);
    EXPECT_LT(qGreen(first.pixel(x, magentaRow)), 80);
    EXPECT_LT(qRed(second.pixel(x, PageRenderer::kDefaultTopMargin)), 80);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "sub" / "page-003.png"));
}

TEST_F(PaperOutputTest, ADirectoryThatCannotBeHadIsReported) {
    std::filesystem::create_directories(dir_);
    std::ofstream(dir_ / "plain-file") << "x";
    PaperOutput paper(dir_ / "plain-file" / "pages", MechanismErrors{}, StoredAdjustments{});
    EXPECT_FALSE(paper.prepare());
}

TEST_F(PaperOutputTest, AFailedPageWriteIsKeptAsTheError) {
    std::filesystem::create_directories(dir_);
    PaperOutput paper(dir_, MechanismErrors{}, StoredAdjustments{});
    ASSERT_TRUE(paper.prepare());
    // A directory where the page file should go, made after the folder was looked at, makes the
    // write fail.
    std::filesystem::create_directories(dir_ / "page-001.png");
    Stream s;
    s.ff().ff();
    paper.catchUp(s.commands());
    EXPECT_EQ(paper.pagesWritten(), 1);
    EXPECT_NE(paper.error().find("page-001.png"), std::string::npos) << paper.error();
}

}  // namespace
}  // namespace veltra::sim
