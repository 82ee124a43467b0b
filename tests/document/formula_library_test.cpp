// The formula library: alias decoding, the table with its order and its
// editing rules, and the library file.

#include "document/AliasDecoding.h"
#include "document/Document.h"
#include "document/FormulaLibrary.h"
#include "storage/FormulaLibraryFile.h"
#include "storage/GbkCodec.h"
#include "tests/storage/TempFolder.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace xtq {
namespace {

using testing::EntryCount;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// ---- Alias decoding ----

TEST(AliasDecoding, DecodesTheTextCharacterByCharacter) {
    struct Case {
        const char* text;
        TAliasRows rows;
    };
    const Case cases[] = {
        {"X1=x,X2=y", {{"X1", "x"}, {"X2", "y"}}},
        {"X1=x", {{"X1", "x"}}},
        {"X1=", {{"X1", ""}}},
        // A longer alias keeps its first character; the second is the separator.
        {"X1=xy;X2=z", {{"X1", "x"}, {";X2", "z"}}},
        // A two-character separator leaves its blank in front of the next key.
        {"X1=x, X2=y", {{"X1", "x"}, {" X2", "y"}}},
        {"", {}},
        {"X1 x", {}},
        {"=x", {{"", "x"}}},
        // The value may itself be "=": the next "=" is then the separator.
        {"==x", {{"", "="}}},
        {"a=b=c", {{"a", "b"}}},
        {"X1=x,,X2=y", {{"X1", "x"}, {",X2", "y"}}},
        // Blanks are kept in keys and values.
        {" X1 = x", {{" X1 ", " "}}},
        // Chinese aliases and separators are whole characters, never half of one.
        {"x1=温，x2=压", {{"x1", "温"}, {"x2", "压"}}},
        {"温度=t;x2=压", {{"温度", "t"}, {"x2", "压"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeAliases(c.text), c.rows) << c.text;
}

TEST(AliasDecoding, DuplicateKeyKeepsTheRowsBeforeIt) {
    struct Case {
        const char* text;
        TAliasRows kept;
        const char* message;
    };
    const Case cases[] = {
        {"X1=x,x1=y", {{"X1", "x"}}, "A key with the name of \"x1\" already exists"},
        {"X1=a,X2=b,x2=c,X3=d",
         {{"X1", "a"}, {"X2", "b"}},
         "A key with the name of \"x2\" already exists"},
    };
    for (const Case& c : cases) {
        TAliasRows list;
        try {
            AppendDecodedAliases(c.text, list);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const EKeyConflict& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
        EXPECT_EQ(list, c.kept) << c.text;
    }
}

TEST(AliasDecoding, KeysDifferOnlyBeyondAsciiLetterCase) {
    TAliasRows list;
    AppendDecodedAliases("x1=a,X2=b", list);
    // A blank makes another key, and so does a full-width letter.
    AppendAliasRow(list, {" x1", "c"});
    AppendAliasRow(list, {"ｘ1", "d"});
    EXPECT_EQ(list.size(), 4u);
    EXPECT_THROW(AppendAliasRow(list, {"X1", "e"}), EKeyConflict);
    EXPECT_EQ(list.size(), 4u);
    // Empty keys are rows still being typed: they never conflict.
    AppendDecodedAliases("=a,=b", list);
    EXPECT_EQ(list.size(), 6u);
}

// ---- The table ----

TFormulaRecord Rec(std::string no, std::string fx = "", std::string formula = "",
                   std::optional<std::int32_t> vn = std::nullopt, std::string alias = "") {
    return {std::move(no), std::move(fx), std::move(formula), vn, std::move(alias)};
}

std::vector<std::string> Numbers(const TFormulaLibrary& library) {
    std::vector<std::string> numbers;
    for (int i = 0; i < library.RecordCount(); ++i)
        numbers.push_back(library.Record(i).TemNo);
    return numbers;
}

using Strings = std::vector<std::string>;

TEST(FormulaLibraryOrder, NumbersAreComparedAsText) {
    TFormulaLibrary library;
    library.Open({Rec("2"), Rec("10"), Rec("1")});
    EXPECT_EQ(Numbers(library), (Strings{"1", "10", "2"}));

    // A posted record takes its place in the order and stays current.
    library.Append();
    library.SetFieldText(TLibraryField::TemNo, "11");
    library.Post();
    EXPECT_EQ(Numbers(library), (Strings{"1", "10", "11", "2"}));
    EXPECT_EQ(library.RecNo(), 2);
    EXPECT_EQ(library.CurrentRecord().TemNo, "11");
}

TEST(FormulaLibraryOrder, ByGbkBytes) {
    // Digits, capitals, small letters, then Chinese characters by their GBK
    // code: 啊 (B0A1) before 序 (D0F2). The empty number comes first.
    TFormulaLibrary library;
    library.Open({Rec("序"), Rec("a"), Rec("啊"), Rec("B"), Rec("9"), Rec("")});
    EXPECT_EQ(Numbers(library), (Strings{"", "9", "B", "a", "啊", "序"}));
    EXPECT_TRUE(TemNoLess("1", "10"));
    EXPECT_TRUE(TemNoLess("10", "2"));
    EXPECT_FALSE(TemNoLess("2", "2"));
}

TEST(FormulaLibraryOrder, EqualNumbersKeepTheOrderOfPosting) {
    TFormulaLibrary library;
    library.Open({Rec("1", "first"), Rec("1", "second")});
    library.Append();
    library.SetFieldText(TLibraryField::TemNo, "1");
    library.SetFieldText(TLibraryField::TemFx, "third");
    library.Post();
    std::vector<std::string> names;
    for (int i = 0; i < library.RecordCount(); ++i)
        names.push_back(library.Record(i).TemFx);
    EXPECT_EQ(names, (Strings{"first", "second", "third"}));

    // Editing another field leaves a record where it is.
    library.MoveTo(0);
    library.SetFieldText(TLibraryField::TemFx, "FIRST");
    library.Post();
    EXPECT_EQ(library.Record(0).TemFx, "FIRST");
}

class FormulaLibraryEditing : public ::testing::Test {
protected:
    void SetUp() override { library.Open({Rec("1", "y"), Rec("2", "z"), Rec("3", "u")}); }
    TFormulaLibrary library;
};

TEST_F(FormulaLibraryEditing, InsertShowsAnEmptyRowBeforeTheCurrentOne) {
    library.MoveTo(1);
    library.Insert();
    EXPECT_EQ(library.State(), TDataSetState::Insert);
    EXPECT_EQ(library.RecordCount(), 4);
    EXPECT_EQ(library.RecNo(), 1);
    EXPECT_EQ(Numbers(library), (Strings{"1", "", "2", "3"}));
    library.SetFieldText(TLibraryField::TemNo, "25");
    library.Post();
    EXPECT_EQ(Numbers(library), (Strings{"1", "2", "25", "3"}));
    EXPECT_EQ(library.RecNo(), 2);
}

TEST_F(FormulaLibraryEditing, AnUnchangedNewRecordIsDroppedWhenLeft) {
    library.MoveTo(1);
    library.Append();
    EXPECT_EQ(library.RecNo(), 3);
    library.Prior();
    EXPECT_EQ(library.State(), TDataSetState::Browse);
    EXPECT_EQ(Numbers(library), (Strings{"1", "2", "3"}));
    EXPECT_EQ(library.RecNo(), 2);

    // Cancelling an insert returns to the record it stood before.
    library.MoveTo(1);
    library.Insert();
    library.Cancel();
    EXPECT_EQ(library.RecordCount(), 3);
    EXPECT_EQ(library.RecNo(), 1);

    // An explicit Post stores even an empty record.
    library.Append();
    library.Post();
    EXPECT_EQ(Numbers(library), (Strings{"", "1", "2", "3"}));
}

TEST_F(FormulaLibraryEditing, MovingAwayStoresTheChangeAndReachesTheRowClickedOn) {
    // The new record "0" sorts to the top; the row clicked on ("2", shown at
    // index 2 below the new row) is still the one that becomes current.
    library.MoveTo(1);
    library.Insert();
    library.SetFieldText(TLibraryField::TemNo, "0");
    library.MoveTo(2);
    EXPECT_EQ(library.State(), TDataSetState::Browse);
    EXPECT_EQ(Numbers(library), (Strings{"0", "1", "2", "3"}));
    EXPECT_EQ(library.CurrentRecord().TemNo, "2");

    // An edited number moves its record; the next row as shown is reached.
    library.MoveTo(1);
    library.SetFieldText(TLibraryField::TemNo, "9");
    library.Next();
    EXPECT_EQ(Numbers(library), (Strings{"0", "2", "3", "9"}));
    EXPECT_EQ(library.CurrentRecord().TemNo, "2");
}

TEST_F(FormulaLibraryEditing, CancelUndoesTheEdit) {
    library.MoveTo(1);
    library.SetFieldText(TLibraryField::TemFx, "w");
    EXPECT_EQ(library.State(), TDataSetState::Edit);
    EXPECT_TRUE(library.Modified());
    EXPECT_EQ(library.FieldText(TLibraryField::TemFx), "w");
    library.Cancel();
    EXPECT_EQ(library.FieldText(TLibraryField::TemFx), "z");
    EXPECT_FALSE(library.Modified());
}

TEST_F(FormulaLibraryEditing, DeleteMakesTheNextRecordCurrent) {
    library.MoveTo(1);
    library.Delete();
    EXPECT_EQ(Numbers(library), (Strings{"1", "3"}));
    EXPECT_EQ(library.CurrentRecord().TemNo, "3");
    library.Delete();
    EXPECT_EQ(library.CurrentRecord().TemNo, "1");

    // Deleting while inserting drops only the new record.
    library.Append();
    library.SetFieldText(TLibraryField::TemNo, "7");
    library.Delete();
    EXPECT_EQ(Numbers(library), (Strings{"1"}));

    library.Delete();
    EXPECT_TRUE(library.IsEmpty());
    EXPECT_EQ(library.RecNo(), -1);
    EXPECT_THROW(library.Delete(), EDatabaseError);
    EXPECT_THROW(library.CurrentRecord(), EDatabaseError);

    // Typing into an empty table inserts a record.
    library.SetFieldText(TLibraryField::TemFx, "v");
    EXPECT_EQ(library.State(), TDataSetState::Insert);
    library.Post();
    EXPECT_EQ(library.RecordCount(), 1);
}

TEST_F(FormulaLibraryEditing, VariableCountAcceptsWholeNumbersOnly) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> value; // nullopt with ok: unset
        bool ok;
    };
    const Case cases[] = {
        {"2", 2, true},
        {"", std::nullopt, true},
        {" 7", 7, true},
        {"-3", -3, true},
        {"2147483647", INT32_MAX, true},
        {"-2147483648", INT32_MIN, true},
        {"2147483648", std::nullopt, false},
        {"7 ", std::nullopt, false},
        {" ", std::nullopt, false},
        {"1.5", std::nullopt, false},
        {"abc", std::nullopt, false},
        {"0x10", std::nullopt, false},
    };
    for (const Case& c : cases) {
        library.SetTemVn(5);
        if (c.ok) {
            library.SetFieldText(TLibraryField::TemVn, c.text);
            EXPECT_EQ(library.CurrentRecord().TemVn, c.value) << c.text;
            continue;
        }
        try {
            library.SetFieldText(TLibraryField::TemVn, c.text);
            ADD_FAILURE() << "accepted " << c.text;
        } catch (const EDatabaseError& error) {
            EXPECT_EQ(error.what(), std::string("'") + c.text +
                                        "' is not a valid integer value for field '独立变量数'");
        }
        EXPECT_EQ(library.CurrentRecord().TemVn, 5) << c.text;
    }
}

TEST(FormulaLibraryFields, TextIsCutToTheFieldWidthInGbkBytes) {
    struct Case {
        TLibraryField field;
        std::string text;
        std::string fitted;
    };
    const Case cases[] = {
        {TLibraryField::TemFx, "abcdef", "abcdef"},
        {TLibraryField::TemFx, "abcdefg", "abcdef"},
        {TLibraryField::TemFx, "公式左边", "公式左"},
        // A Chinese character that would cross the width is left out whole.
        {TLibraryField::TemFx, "abcde公", "abcde"},
        {TLibraryField::TemNo, "序号12", "序号12"},
        {TLibraryField::TemAlias, std::string(119, 'a') + "别", std::string(119, 'a')},
        {TLibraryField::TemFormula, std::string(1025, 'x'), std::string(1024, 'x')},
        {TLibraryField::TemVn, "12345678", "12345678"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FitFieldWidth(c.field, c.text), c.fitted) << c.text;
        if (c.field == TLibraryField::TemVn) continue;
        TFormulaLibrary library;
        library.Open({});
        library.SetFieldText(c.field, c.text);
        EXPECT_EQ(library.FieldText(c.field), c.fitted) << c.text;
    }
}

TEST(FormulaLibraryFields, RefusesCharactersThatGbkCannotHold) {
    TFormulaLibrary library;
    library.Open({Rec("1", "y")});
    EXPECT_THROW(library.SetFieldText(TLibraryField::TemFx, "한"), EEncodingError);
    EXPECT_EQ(library.FieldText(TLibraryField::TemFx), "y");
    EXPECT_THROW(library.Open({Rec("1", "😀")}), EDatabaseError);
    EXPECT_FALSE(library.Active());
    EXPECT_THROW(library.Open({Rec("1234567")}), EDatabaseError);
}

TEST(FormulaLibraryClosed, RefusesEveryChangeAndShowsNothing) {
    TFormulaLibrary library;
    EXPECT_FALSE(library.Active());
    EXPECT_EQ(library.State(), TDataSetState::Inactive);
    EXPECT_EQ(library.RecordCount(), 0);
    EXPECT_EQ(library.RecNo(), -1);
    EXPECT_THROW(library.Insert(), EDatabaseError);
    EXPECT_THROW(library.SetFieldText(TLibraryField::TemNo, "1"), EDatabaseError);
    EXPECT_THROW(library.CurrentRecord(), EDatabaseError);
    TempFolder folder;
    const std::string path = folder.File("CDSTem.cds");
    EXPECT_THROW(library.SaveToFile(path), EDatabaseError);
    EXPECT_EQ(EntryCount(folder.Path()), 0u);
}

// Select formula as the window runs it on the document model.
void SelectFormula(const TFormulaRecord& record, TRegressDocument& doc) {
    const TFormulaSelection s = SelectionOf(record);
    doc.SetText(TField::LeftName, s.LeftName);
    doc.SetText(TField::RightSide, s.RightSide);
    doc.SetText(TField::VariableCount, s.VariableCount);
    SelectAliases(s.AliasText, doc.Aliases());
}

TEST(SelectFormula, CopiesTheRecordAndReplacesTheAliasList) {
    TRegressDocument doc;
    doc.SetText(TField::DisplayedFormula, "a+b.t");
    // The list held rows before, one of them with an empty key.
    doc.Aliases().Append("x1", "t");
    doc.Aliases().Append("", "q");
    SelectFormula(Rec("1", "y", "a+b*x1", 1, "x1=x"), doc);
    EXPECT_EQ(doc.Text(TField::LeftName), "y");
    EXPECT_EQ(doc.Text(TField::LeftNameMirror), "y");
    EXPECT_EQ(doc.Text(TField::RightSide), "a+b*x1");
    EXPECT_EQ(doc.Text(TField::VariableCount), "1");
    EXPECT_EQ(doc.Aliases().Rows(), (TAliasRows{{"x1", "x"}}));
    EXPECT_EQ(doc.Text(TField::DisplayedFormula), "a+b.t");

    // No aliases and no variable count: an empty list and an empty field.
    SelectFormula(Rec("2", "z", "a"), doc);
    EXPECT_EQ(doc.Text(TField::VariableCount), "");
    EXPECT_EQ(doc.Aliases().Count(), 0);

    // A duplicate key ends the step with the rows before it in the list.
    EXPECT_THROW(SelectFormula(Rec("3", "u", "a+b*x1", 1, "X1=x,X2=y,x1=z"), doc), EKeyConflict);
    EXPECT_EQ(doc.Text(TField::LeftName), "u");
    EXPECT_EQ(doc.Aliases().Rows(), (TAliasRows{{"X1", "x"}, {"X2", "y"}}));
}

// ---- The library file ----

// Texts that a line-based format can easily get wrong.
std::vector<TFormulaRecord> AwkwardRecords() {
    return {
        Rec("1", "y", "a+b*x1", 1, "x1=x"),
        Rec("", "", "", std::nullopt, ""),
        Rec("序号12", "公式左", "a+b*LN(x1)", 0, "x1=温，x2=压"),
        // Quotes, backslashes, line breaks, tab and other control characters.
        Rec("\"", "\\", "a\"b\\c\r\nd\ne\rf\tg", -1, std::string("\x01\x1f\x7f", 3)),
        // GBK characters whose second byte is a backslash.
        Rec("乗俓", "僜刓匼", "哱嘰圽塡奬", INT32_MIN, "\\\\"),
        // Blanks at both ends, a text of blanks, "record" and "end" as values.
        Rec(" 2 ", "  ", " a+b ", INT32_MAX, "end"),
        Rec("record", "null", "records 3", 7, "X1=x, X2=y"),
        // The widths exactly.
        Rec("序号号", "左边边", std::string(1022, 'x') + "式", 3,
            std::string(100, '=') + "变量别名变量别名变量"),
    };
}

TEST(LibraryFile, RoundTripsEveryRecordExactly) {
    TempFolder folder;
    const std::string path = folder.File("CDSTem.cds");
    TFormulaLibrary saved;
    saved.Open(AwkwardRecords());
    saved.SaveToFile(path);

    TFormulaLibrary loaded;
    loaded.LoadFromFile(path);
    ASSERT_EQ(loaded.RecordCount(), saved.RecordCount());
    for (int i = 0; i < saved.RecordCount(); ++i) {
        EXPECT_EQ(loaded.Record(i), saved.Record(i)) << "record " << i;
    }
    // Saving what was loaded gives the same bytes, and no temporary file stays.
    const std::string first = ReadBytes(path);
    loaded.SaveToFile(path);
    EXPECT_EQ(ReadBytes(path), first);
    EXPECT_EQ(EntryCount(folder.Path()), 1u);

    // An empty table round-trips as well.
    TFormulaLibrary empty;
    empty.Open({});
    empty.SaveToFile(path);
    loaded.LoadFromFile(path);
    EXPECT_TRUE(loaded.Active());
    EXPECT_EQ(loaded.RecordCount(), 0);
}

TEST(LibraryFile, IsTheDocumentedText) {
    TempFolder folder;
    const std::string path = folder.File("CDSTem.cds");
    TFormulaLibrary library;
    library.Open({Rec("1", "y", "a+b*x1", 1, "x1=x"), Rec("2", "温度", "", std::nullopt, "\"")});
    library.SaveToFile(path);
    const std::string expected = "XTQ-CDS 1\r\n"
                                 "table CDSTem\r\n"
                                 "field TemNo string 6\r\n"
                                 "field TemFx string 6\r\n"
                                 "field TemFormula string 1024\r\n"
                                 "field TemVn int32\r\n"
                                 "field TemAlias string 120\r\n"
                                 "records 2\r\n"
                                 "record \"1\" \"y\" \"a+b*x1\" 1 \"x1=x\"\r\n"
                                 "record \"2\" \"" +
                                 Utf8ToGbk("温度") +
                                 "\" \"\" null \"\\\"\"\r\n"
                                 "end\r\n";
    EXPECT_EQ(ReadBytes(path), expected);

    // Bare LF line breaks and a missing last one read the same.
    std::string lf;
    for (const char c : expected) {
        if (c != '\r') lf += c;
    }
    lf.pop_back();
    WriteBytes(path, lf);
    TFormulaLibrary loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Record(1).TemFx, "温度");
}

TEST(LibraryFile, SaveStoresTheRecordBeingEdited) {
    TempFolder folder;
    const std::string path = folder.File("CDSTem.cds");
    TFormulaLibrary library;
    library.Open({Rec("1", "y")});
    library.SetFieldText(TLibraryField::TemFx, "z");
    library.SaveToFile(path);
    EXPECT_EQ(library.State(), TDataSetState::Browse);

    // An appended record left empty is not saved.
    library.Append();
    library.SaveToFile(path);
    TFormulaLibrary loaded;
    loaded.LoadFromFile(path);
    ASSERT_EQ(loaded.RecordCount(), 1);
    EXPECT_EQ(loaded.Record(0).TemFx, "z");
}

TEST(LibraryFile, FailedSaveReportsThePathAndChangesNothing) {
    TempFolder folder;
    const std::string path = folder.File("missing/CDSTem.cds");
    TFormulaLibrary library;
    library.Open({Rec("1", "y")});
    library.SetFieldText(TLibraryField::TemFx, "z");
    try {
        library.SaveToFile(path);
        FAIL() << "saved into a missing folder";
    } catch (const EFCreateError& error) {
        EXPECT_EQ(error.what(), "Cannot create file \"" + path + "\". No such file or directory");
    }
    ASSERT_EQ(library.RecordCount(), 1);
    EXPECT_EQ(library.Record(0).TemFx, "z");

    // A folder standing where the file should be is not replaced.
    const std::string folderPath = folder.File("CDSTem.cds");
    std::filesystem::create_directory(folderPath);
    EXPECT_THROW(library.SaveToFile(folderPath), EFCreateError);
    EXPECT_TRUE(std::filesystem::is_directory(folderPath));
}

TEST(LibraryFile, MissingFileLeavesTheTableClosed) {
    TempFolder folder;
    const std::string path = folder.File("CDSTem.cds");
    TFormulaLibrary library;
    library.Open({Rec("1")});
    try {
        library.LoadFromFile(path);
        FAIL() << "loaded a missing file";
    } catch (const EFOpenError& error) {
        EXPECT_EQ(error.what(), "Cannot open file \"" + path + "\". No such file or directory");
    }
    EXPECT_FALSE(library.Active());
    EXPECT_EQ(library.RecordCount(), 0);
}

std::string ValidFile() {
    return "XTQ-CDS 1\r\ntable CDSTem\r\nfield TemNo string 6\r\nfield TemFx string 6\r\n"
           "field TemFormula string 1024\r\nfield TemVn int32\r\nfield TemAlias string 120\r\n"
           "records 2\r\nrecord \"1\" \"y\" \"a+b*x1\" 1 \"x1=x\"\r\n"
           "record \"2\" \"z\" \"a+b*x1+c*x2\" 2 \"x1=x,x2=y\"\r\nend\r\n";
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

TEST(LibraryFile, DamagedFilesAreRefusedWhole) {
    const std::string valid = ValidFile();
    struct Case {
        std::string bytes;
        std::string reason;
    };
    const Case cases[] = {
        {"", "The file is empty"},
        {"hello\r\n", "Not a formula library file"},
        {std::string("\0\x01\xff\xfe\n\x80", 6), "Not a formula library file"},
        {"\xEF\xBB\xBF" + valid, "Not a formula library file"},
        {Replaced(valid, "XTQ-CDS 1", "XTQ-CDS 2"),
         "Unknown version \"2\" of the formula library format (this program reads version 1)"},
        {Replaced(valid, "table CDSTem", "table Other"), "Line 2: expected \"table CDSTem\""},
        {Replaced(valid, "TemFx string 6", "TemFx string 8"),
         "Line 4: the field definitions differ from those of the table: expected \"field TemFx "
         "string 6\""},
        {Replaced(valid, "field TemVn int32\r\n", ""),
         "Line 6: the field definitions differ from those of the table: expected \"field TemVn "
         "int32\""},
        {Replaced(valid, "records 2", "records x"),
         "Line 8: expected \"records\" and the number of records"},
        {Replaced(valid, "records 2", "records -1"),
         "Line 8: expected \"records\" and the number of records"},
        {Replaced(valid, "records 2", "records 3"), "Line 11: expected record 3 of 3"},
        {Replaced(valid, "records 2", "records 1"),
         "Line 10: expected \"end\" after the last record"},
        {Replaced(valid, " \"x1=x\"\r\n", "\r\n"), "Line 9: the value of TemAlias is missing"},
        {Replaced(valid, "\"x1=x\"", "\"x1=x\" 5"), "Line 9: unexpected text after the last value"},
        {Replaced(valid, "\"x1=x\"", "\"x1=x"),
         "Line 9: the text of TemAlias has no closing quote"},
        {Replaced(valid, "\"y\"", "y"), "Line 9: the value of TemFx must be a quoted text"},
        {Replaced(valid, "\"y\"", " \"y\""), "Line 9: the value of TemFx must be a quoted text"},
        {Replaced(valid, "\"y\"", "\"\\q\""), "Line 9: unknown escape \\q in the text of TemFx"},
        {Replaced(valid, "\"y\"", "\"\\x4\""), "Line 9: bad \\x escape in the text of TemFx"},
        {Replaced(valid, "\"y\"", "\"a\tb\""),
         "Line 9: control character inside the text of TemFx"},
        {Replaced(valid, "\"y\"", "\"abcdefg\""),
         "Line 9: the text of TemFx is longer than 6 bytes"},
        {Replaced(valid, "\"y\"", "\"" + Utf8ToGbk("公式左边") + "\""),
         "Line 9: the text of TemFx is longer than 6 bytes"},
        {Replaced(valid, " 1 ", " 1.5 "),
         "Line 9: the value of TemVn must be a 32-bit integer or null, not \"1.5\""},
        {Replaced(valid, " 1 ", " +1 "),
         "Line 9: the value of TemVn must be a 32-bit integer or null, not \"+1\""},
        {Replaced(valid, " 1 ", " 2147483648 "),
         "Line 9: the value of TemVn must be a 32-bit integer or null, not \"2147483648\""},
        {Replaced(valid, " 1 ", " NULL "),
         "Line 9: the value of TemVn must be a 32-bit integer or null, not \"NULL\""},
        {Replaced(valid, "record \"1\"", "recordx \"1\""), "Line 9: expected a blank before TemNo"},
        {Replaced(valid, "record \"2\"", "end\r\nrecord \"2\""), "Line 10: expected record 2 of 2"},
        {valid + "record \"3\" \"\" \"\" null \"\"\r\n", "Line 12: unexpected text after \"end\""},
        {Replaced(valid, "end\r\n", ""), "The file ends early: \"end\" is missing"},
    };
    TempFolder folder;
    const std::string path = folder.File("CDSTem.cds");
    for (const Case& c : cases) {
        WriteBytes(path, c.bytes);
        TFormulaLibrary library;
        library.Open({Rec("old")});
        try {
            library.LoadFromFile(path);
            ADD_FAILURE() << "loaded: " << c.reason;
        } catch (const EDBClient& error) {
            EXPECT_EQ(error.what(), "Cannot open file \"" + path + "\". " + c.reason);
        }
        EXPECT_FALSE(library.Active()) << c.reason;
        EXPECT_EQ(library.RecordCount(), 0) << c.reason;
    }
}

TEST(LibraryFile, EveryTruncationIsRefusedOrLoadsTheWholeTable) {
    const std::string valid = ValidFile();
    const size_t complete = valid.size() - 2; // up to "end", its line break may be missing
    TempFolder folder;
    const std::string path = folder.File("CDSTem.cds");
    for (size_t length = 0; length < valid.size(); ++length) {
        WriteBytes(path, valid.substr(0, length));
        TFormulaLibrary library;
        if (length < complete) {
            EXPECT_THROW(library.LoadFromFile(path), EDBClient) << length;
            EXPECT_FALSE(library.Active()) << length;
        } else {
            library.LoadFromFile(path);
            EXPECT_EQ(library.RecordCount(), 2) << length;
        }
    }
}

TEST(LibraryFile, EmptyLinesAfterTheEndAreHarmless) {
    TempFolder folder;
    const std::string path = folder.File("CDSTem.cds");
    WriteBytes(path, ValidFile() + "\r\n\n");
    TFormulaLibrary library;
    library.LoadFromFile(path);
    EXPECT_EQ(library.RecordCount(), 2);
}

} // namespace
} // namespace xtq
