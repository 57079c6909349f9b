#include "phonebook/book_transfer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <tuple>

#include "phonebook/tests/phone_book_test_util.h"

using namespace suite;
using namespace pb_test;

namespace {

using Row = std::tuple<std::string, std::string, std::string>;

class BookTransferTest : public ::testing::Test {
protected:
    PhoneBook& Open(const std::string& dir) {
        mkdir(dir.c_str(), 0755);
        PhoneBookOptions options;
        options.appendLimit = false;
        books_.emplace_back(new PhoneBook(messages, options));
        EXPECT_TRUE(books_.back()->OpenPhoneBook(dir));
        return *books_.back();
    }
    // Every number with its record, in index order.
    static std::vector<Row> Rows(PhoneBook& book) {
        std::vector<Row> rows;
        for (uint32_t e = 0; e < book.EntryCount(); ++e) {
            if (book.Number(e).empty()) continue;
            InfoRecord r;
            book.ReadRecord(e, &r);
            rows.emplace_back(book.Number(e), r.name, r.information);
        }
        return rows;
    }
    std::string Import(PhoneBook& book, const std::string& csv, TextEncoding encoding = TextEncoding::Utf8,
                       bool expectOk = true) {
        std::ostringstream report;
        EXPECT_EQ(ImportCsv(book, csv, encoding, report, &counts), expectOk);
        return report.str();
    }
    int Run(const std::vector<std::string>& args, const std::string& input = "") {
        std::istringstream in(input);
        out.str("");
        err.str("");
        return RunPhoneBookTool(args, in, out, err);
    }

    suite_test::TestFolder folder;
    RecordedMessages messages;
    std::vector<std::unique_ptr<PhoneBook>> books_;
    ImportCounts counts;
    std::ostringstream out, err;
};

TEST_F(BookTransferTest, ExportQuotesEveryFieldAndSkipsFreeEntries) {
    PhoneBook& book = Open("book");
    ASSERT_EQ(book.SaveRecord("0312345678", "山田", "一行目\r\n二行目, \"引用\""), SaveResult::Saved);
    ASSERT_EQ(book.SaveRecord("0999", "gone", ""), SaveResult::Saved);
    ASSERT_TRUE(book.AddNumber("09011112222"));
    ASSERT_TRUE(book.DeleteEntry(1));

    std::ostringstream cp932, utf8, warnings;
    ExportCsv(book, TextEncoding::Cp932, cp932, warnings);
    EXPECT_EQ(cp932.str(),
              "number,name,information\r\n"
              "\"0312345678\",\"山田\",\"一行目\r\n二行目, \"\"引用\"\"\"\r\n"
              "\"09011112222\",\"\",\"\"\r\n");
    ExportCsv(book, TextEncoding::Utf8, utf8, warnings);
    EXPECT_EQ(utf8.str(),
              u8"number,name,information\r\n"
              u8"\"0312345678\",\"山田\",\"一行目\r\n二行目, \"\"引用\"\"\"\r\n"
              u8"\"09011112222\",\"\",\"\"\r\n");
    EXPECT_EQ(warnings.str(), "");
}

TEST_F(BookTransferTest, ExportWarnsAboutBytesUtf8CannotCarry) {
    PhoneBook& book = Open("book");
    ASSERT_EQ(book.SaveRecord("0311", "ok", "\x81"), SaveResult::Saved);  // a lead byte alone is dropped
    ASSERT_EQ(book.SaveRecord("0312", "bad", "\x85\x40"), SaveResult::Saved);  // unassigned in CP932
    std::ostringstream csv, warnings;
    ExportCsv(book, TextEncoding::Utf8, csv, warnings);
    EXPECT_EQ(warnings.str().find("entry 0"), std::string::npos);
    EXPECT_NE(warnings.str().find("entry 1: number 0312"), std::string::npos) << warnings.str();
}

TEST_F(BookTransferTest, ExportSkipsNumbersHiddenByAnEarlierEntry) {
    {
        PhoneBook& book = Open("book");
        ASSERT_EQ(book.SaveRecord("0311", "first", "a"), SaveResult::Saved);
        ASSERT_TRUE(book.AddNumber("0311"));  // a second entry the recorder never finds
        ASSERT_TRUE(book.AddNumber("0312"));
        books_.clear();
    }
    // A damaged number that fills its whole field is no lookup key at all.
    Bytes index = suite_test::ReadAllBytes("book/InfoIndex.binary");
    std::memcpy(&index[EntryAt(2)], "0123456789012345", 16);
    suite_test::WriteAllBytes("book/InfoIndex.binary", index);
    PhoneBook& book = Open("book");
    std::ostringstream csv, warnings;
    ExportCsv(book, TextEncoding::Cp932, csv, warnings);
    EXPECT_EQ(csv.str(), "number,name,information\r\n\"0311\",\"first\",\"a\"\r\n\"0123456789012345\",\"\",\"\"\r\n");
    EXPECT_EQ(warnings.str(), "entry 1: number 0311 repeats entry 0; not exported\n");
}

TEST_F(BookTransferTest, ImportReportsEachRowByTheLineItStartsOn) {
    PhoneBook& book = Open("book");
    const std::string csv =
        u8"number,name,information\n"
        u8"0311112222,田中,\"一行目\n二行目\r三行目\"\n"
        u8"\n"
        u8"0322223333 , 佐藤 ,\"x\"\r\n"
        u8"0311112222,田中二,replaced\n"
        u8"abc,x,y\n"
        u8",x,y\n"
        u8"0312,only two\n"
        u8"012345678901234567,long,z\n"
        u8"0399,n,😀\n"
        u8"0398,\"two\nlines\",z\n"
        u8"0397,n,\"unterminated last line\"";
    std::string report = Import(book, csv);
    EXPECT_EQ(report,
              "line 2: added 0311112222\n"
              "line 5: added 0322223333\n"
              "line 6: replaced 0311112222\n"
              "line 7: refused: the number must start with a digit 0-9\n"
              "line 8: refused: the number is empty\n"
              "line 9: refused: expected 3 fields (number, name, information), found 2\n"
              "line 10: added 01234567890123 (number cut to 14 bytes)\n"
              "line 11: refused: the row is not valid UTF-8 or holds characters that Shift-JIS (CP932) cannot "
              "hold\n"
              "line 12: refused: the name must be a single line\n"
              "line 14: added 0397\n");
    EXPECT_EQ(counts.added, 4u);
    EXPECT_EQ(counts.replaced, 1u);
    EXPECT_EQ(counts.refused, 5u);

    InfoRecord r;
    ASSERT_TRUE(book.ReadRecord(*book.FindEntry("0311112222"), &r));
    EXPECT_EQ(r.name, "田中二");
    EXPECT_EQ(r.information, "replaced");
    ASSERT_TRUE(book.ReadRecord(*book.FindEntry("0322223333"), &r));
    EXPECT_EQ(r.name, "佐藤") << "spaces around an unquoted field are not part of it";
    EXPECT_TRUE(book.FindEntry("01234567890123"));
    EXPECT_FALSE(book.FindEntry("0399"));
}

TEST_F(BookTransferTest, ImportBringsLineBreaksToCrLf) {
    PhoneBook& book = Open("book");
    Import(book, "0311,n,\"a\nb\rc\r\nd\"\n");
    InfoRecord r;
    ASSERT_TRUE(book.ReadRecord(0, &r));
    EXPECT_EQ(r.information, "a\r\nb\r\nc\r\nd");
}

TEST_F(BookTransferTest, ImportRefusesTextsTheRecordCannotHold) {
    PhoneBook& book = Open("book");
    std::string csv = "0301," + std::string(202, 'n') + ",i\r\n" +
                      "0302,n," + std::string(10001, 'i') + "\r\n" +
                      "0303,n," + std::string(10000, 'i') + "\r\n" +
                      "0304,n\x81\x40,\"a" + std::string(1, '\0') + "b\"\r\n" +
                      "\"03\x01\",n,i\r\n" +
                      "0306,\"" + std::string(201, 'n') + "\",\r\n";
    std::string report = Import(book, csv, TextEncoding::Cp932);
    EXPECT_EQ(report,
              "line 1: refused: the name is longer than 201 bytes (202)\n"
              "line 2: refused: the information is longer than 10000 bytes (10001)\n"
              "line 3: added 0303\n"
              "line 4: refused: the information holds a NUL byte\n"
              "line 5: refused: the number holds a control character\n"
              "line 6: added 0306\n");
    InfoRecord r;
    ASSERT_TRUE(book.ReadRecord(*book.FindEntry("0303"), &r));
    EXPECT_EQ(r.information.size(), 10000u);
    EXPECT_EQ(book.Blocks(*book.FindEntry("0303")).size(), 20u);
}

TEST_F(BookTransferTest, InvalidCsvImportsNothing) {
    PhoneBook& book = Open("book");
    EXPECT_EQ(Import(book, "0311,a,b\n0312,\"a\"b,c\n0313,d,e\n", TextEncoding::Utf8, false),
              "line 2: not valid CSV (error parsing data while strict checking enabled); nothing imported\n");
    EXPECT_EQ(Import(book, "0311,a,b\n0312,\"never\nclosed,c\n", TextEncoding::Utf8, false),
              "line 2: a quoted field is not closed; nothing imported\n");
    EXPECT_EQ(book.EntryCount(), 0u);
}

TEST_F(BookTransferTest, ImportSkipsAByteOrderMarkAndHasNoAppendLimit) {
    PhoneBook& book = Open("book");
    std::string csv = "\xEF\xBB\xBFNumber,Name,Information\r\n";
    for (int i = 0; i < 150; ++i) csv += "0" + std::to_string(5000 + i) + ",n,i\r\n";
    Import(book, csv);
    EXPECT_EQ(counts.added, 150u);
    EXPECT_EQ(counts.refused, 0u);
    EXPECT_EQ(book.EntryCount(), 150u);
    EXPECT_TRUE(messages.warnings.empty());
}

TEST_F(BookTransferTest, ExportThenImportIntoAnEmptyFolderGivesTheSameRecords) {
    PhoneBook& source = Open("book");
    const std::vector<Row> records = {
        {"0312345678", "山田 太郎", "請求書送付済み\r\n\"至急\", 折り返し"},
        {"0120000000", "ｶﾅ ①㈱ ~\\", ""},
        {"09011112222", "", "  前後の空白  "},
        {"0299", "長い情報", Text(10000)},
        {"0455", "表示", "ソ能表\r\n"},  // trail bytes 0x5C
    };
    for (const Row& r : records) {
        ASSERT_EQ(source.SaveRecord(std::get<0>(r), std::get<1>(r), std::get<2>(r)), SaveResult::Saved);
    }
    ASSERT_EQ(source.SaveRecord("0700", "deleted", "x"), SaveResult::Saved);
    ASSERT_TRUE(source.DeleteEntry(*source.FindEntry("0700")));
    ASSERT_TRUE(source.AddNumber("0800"));  // a number without a record
    std::vector<Row> expected = Rows(source);
    ASSERT_EQ(expected.size(), records.size() + 1);

    for (TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Cp932}) {
        std::string dir = encoding == TextEncoding::Utf8 ? "utf8" : "cp932";
        std::ostringstream csv, warnings;
        ExportCsv(source, encoding, csv, warnings);
        EXPECT_EQ(warnings.str(), "");
        PhoneBook& copy = Open(dir);
        Import(copy, csv.str(), encoding);
        EXPECT_EQ(counts.refused, 0u);
        EXPECT_EQ(Rows(copy), expected) << dir;
    }
}

TEST_F(BookTransferTest, ToolListsExportsAndImportsRealFolders) {
    EXPECT_EQ(Run({}), 1);
    EXPECT_NE(err.str().find("usage"), std::string::npos);
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out.str().find("not running"), std::string::npos);
    EXPECT_EQ(Run({"list", "no-such-dir"}), 1);
    mkdir("empty", 0755);
    EXPECT_EQ(Run({"export", "empty"}), 1);
    EXPECT_FALSE(suite_test::Utf8PathExists("empty/InfoIndex.binary")) << "list and export create nothing";
    EXPECT_EQ(Run({"list", "empty", "--encoding", "latin1"}), 1);
    EXPECT_EQ(Run({"import", "empty"}), 1);

    std::string csv = u8"number,name,information\r\n0311,鈴木,\"メモ\r\n二行\"\r\nx,bad,row\r\n";
    suite_test::WriteAllBytes("book.csv", Bytes(csv.begin(), csv.end()));
    EXPECT_EQ(Run({"import", "empty", "book.csv"}), 2) << err.str();
    EXPECT_EQ(out.str(), "line 2: added 0311\nline 4: refused: the number must start with a digit 0-9\n"
                         "1 added, 0 replaced, 1 refused\n");

    EXPECT_EQ(Run({"list", "empty"}), 0) << err.str();
    EXPECT_EQ(out.str(), u8"0311\t鈴木\n");
    EXPECT_EQ(Run({"list", "empty", "--encoding=cp932"}), 0);
    EXPECT_EQ(out.str(), "0311\t鈴木\n");

    EXPECT_EQ(Run({"export", "empty"}), 0);
    std::string exported = out.str();
    EXPECT_EQ(exported, u8"number,name,information\r\n\"0311\",\"鈴木\",\"メモ\r\n二行\"\r\n");
    mkdir("again", 0755);
    EXPECT_EQ(Run({"import", "again", "-"}, exported), 0);
    EXPECT_EQ(Run({"export", "again"}), 0);
    EXPECT_EQ(out.str(), exported);
}

// A book with one or two of its three files missing is refused by every
// command and never "repaired": list and export create nothing, and an
// import does not pair the remaining files with new empty ones.
TEST_F(BookTransferTest, ToolRefusesABookWithSomeFilesMissing) {
    {
        PhoneBook& book = Open("book");
        ASSERT_EQ(book.SaveRecord("0311", "鈴木", ""), SaveResult::Saved);
        ASSERT_EQ(book.SaveRecord("0322", "田中", ""), SaveResult::Saved);
        book.ClosePhoneBook();
    }
    const Bytes index = suite_test::ReadAllBytes("book/InfoIndex.binary");
    const Bytes data = suite_test::ReadAllBytes("book/InfoData.binary");
    std::string csv = u8"number,name,information\r\n0333,新規,\r\n";
    suite_test::WriteAllBytes("new.csv", Bytes(csv.begin(), csv.end()));

    const char* const files[] = {"InfoIndex.binary", "InfoData.binary", "EriaTable.binary"};
    for (int gone = 1; gone < 7; ++gone) {  // every non-empty, incomplete subset missing
        SCOPED_TRACE(gone);
        std::vector<Bytes> kept(3);
        for (int f = 0; f < 3; ++f) {
            std::string path = std::string("book/") + files[f];
            kept[f] = suite_test::ReadAllBytes(path);
            if (gone & (1 << f)) std::remove(path.c_str());
        }
        for (const char* command : {"list", "export"}) {
            EXPECT_EQ(Run({command, "book"}), 1) << command;
            EXPECT_EQ(out.str(), "") << command;
            EXPECT_NE(err.str().find("incomplete"), std::string::npos) << err.str();
        }
        EXPECT_EQ(Run({"import", "book", "new.csv"}), 1);
        EXPECT_NE(err.str().find("incomplete"), std::string::npos) << err.str();
        for (int f = 0; f < 3; ++f) {
            std::string path = std::string("book/") + files[f];
            EXPECT_EQ(suite_test::Utf8PathExists(path), !(gone & (1 << f))) << "nothing created: " << files[f];
            if (!(gone & (1 << f))) {
                EXPECT_EQ(suite_test::ReadAllBytes(path), kept[f]) << files[f];
            }
            suite_test::WriteAllBytes(path, kept[f]);
        }
    }
    EXPECT_EQ(suite_test::ReadAllBytes("book/InfoIndex.binary"), index);
    EXPECT_EQ(suite_test::ReadAllBytes("book/InfoData.binary"), data);
    EXPECT_EQ(Run({"list", "book"}), 0) << err.str();
    EXPECT_EQ(out.str(), u8"0311\t鈴木\n0322\t田中\n");
}

// A read-only book (list, export) opens its files read-only: a missing one
// is an error, never created.
TEST_F(BookTransferTest, ReadOnlyBookNeverCreatesItsFiles) {
    mkdir("bare", 0755);
    PhoneBookOptions options;
    options.readOnly = true;
    PhoneBook book(messages, options);
    EXPECT_FALSE(book.OpenPhoneBook("bare"));
    for (const char* name : {"InfoIndex.binary", "InfoData.binary", "EriaTable.binary"}) {
        EXPECT_FALSE(suite_test::Utf8PathExists(std::string("bare/") + name)) << name;
    }
}

}  // namespace
