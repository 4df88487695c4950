// Display formats: numbers through format strings, and numeric fields showing them in
// their display text while their edit text stays the plain number.
#include <cmath>

#include "korin/platform/core/NumberFormat.h"
#include "tests/db/DbFixture.h"

using namespace korin;

namespace {

TEST(NumberFormat, DigitsSeparatorsSectionsAndRounding)
{
    EXPECT_EQ(FormatFloat("0.00", 4346.9), "4346.90");
    EXPECT_EQ(FormatFloat("#,##0.00", 4346.9), "4,346.90");
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1,234,567.89");
    EXPECT_EQ(FormatFloat("#,##0.00", -1234.5), "-1,234.50");
    EXPECT_EQ(FormatFloat("#,##0.00", 999.999), "1,000.00");
    EXPECT_EQ(FormatFloat("#,##0", 999999.5), "1,000,000");
    EXPECT_EQ(FormatFloat("#,##0.00", 0), "0.00");
    // Rounded as written in decimal, half away from zero; no "-" for a rounded zero.
    EXPECT_EQ(FormatFloat("0.00", 2.675), "2.68");
    EXPECT_EQ(FormatFloat("0.00", -2.675), "-2.68");
    EXPECT_EQ(FormatFloat("0.00", 1.005), "1.01");
    EXPECT_EQ(FormatFloat("0.00", -0.004), "0.00");
    EXPECT_EQ(FormatFloat("0", 999.5), "1000");
    // Optional digits and the decimal point only when decimals show.
    EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
    EXPECT_EQ(FormatFloat("0.##", 5), "5");
    EXPECT_EQ(FormatFloat("0.0#", 5.1), "5.1");
    EXPECT_EQ(FormatFloat("0.0#", 5.125), "5.13");
    EXPECT_EQ(FormatFloat("000", 7), "007");
    EXPECT_EQ(FormatFloat("00", 12345), "12345");
    // Text, quoted or not, and the three sections.
    EXPECT_EQ(FormatFloat("0.00 EUR", 3), "3.00 EUR");
    EXPECT_EQ(FormatFloat("'#'0", 5), "#5");
    const char* money = "$#,##0.00;($#,##0.00);\"nothing\"";
    EXPECT_EQ(FormatFloat(money, 1500), "$1,500.00");
    EXPECT_EQ(FormatFloat(money, -5), "($5.00)");
    EXPECT_EQ(FormatFloat(money, 0), "nothing");
    EXPECT_EQ(FormatFloat("0.00;;", -5), "-5.00");
    // No format: the shortest text that reads back; numbers that are none.
    EXPECT_EQ(FormatFloat("", 0.1), "0.1");
    EXPECT_EQ(FormatFloat("", 4346.9), "4346.9");
    EXPECT_EQ(FormatFloat("0.00", std::nan("")), "NAN");
    EXPECT_EQ(FormatFloat("0.00", -HUGE_VAL), "-INF");
    EXPECT_EQ(FormatFloat("#,##0", 1e20), "100,000,000,000,000,000,000");
}

class DisplayFormatTest : public DbTest {};

TEST_F(DisplayFormatTest, NumericFieldsShowTheirFormatAndEditThePlainNumber)
{
    TOwned<TComponent> owner(new TComponent(nullptr));
    TTable* t = OpenTable(owner.get(), "customers");
    auto* source = new TDataSource(owner.get());
    source->SetDataSet(t);
    TRecordingLink link;
    link.SetDataSource(source);
    link.Take();
    auto* amount = dynamic_cast<TNumericField*>(t->FieldByName("amount"));
    ASSERT_TRUE(amount);
    EXPECT_EQ(amount->DisplayText(), "10.5");
    amount->SetDisplayFormat("#,##0.00");
    EXPECT_EQ(link.Take(), "Changed");  // the controls show it anew
    EXPECT_EQ(amount->DisplayText(), "10.50");
    EXPECT_EQ(amount->Text(), "10.5");
    EXPECT_EQ(amount->DisplayTextOf(Variant(12345.678)), "12,345.68");
    EXPECT_EQ(amount->DisplayTextOf(Variant::Null()), "");
    // The id field is numeric too; a text field has no display format.
    EXPECT_NE(dynamic_cast<TNumericField*>(t->FieldByName("id")), nullptr);
    EXPECT_EQ(dynamic_cast<TNumericField*>(t->FieldByName("name")), nullptr);
    // Typing goes in as the plain number.
    t->Edit();
    amount->SetText("1234.5");
    t->Post();
    EXPECT_EQ(Raw->Rows("SELECT amount FROM customers WHERE id = 1"), "1234.5");
    EXPECT_EQ(amount->DisplayText(), "1,234.50");
    link.SetDataSource(nullptr);
}

}  // namespace
