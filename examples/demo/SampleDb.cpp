#include "SampleDb.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "korin/platform/core/DateUtils.h"
#include "korin/platform/db/DBTables.h"

namespace korin {

namespace {

// A small linear congruential generator: the same numbers everywhere.
class TSampleRandom {
public:
    explicit TSampleRandom(std::uint32_t Seed) : FState(Seed) {}
    int Next(int Bound)
    {
        FState = FState * 1664525u + 1013904223u;
        return static_cast<int>((FState >> 8) % static_cast<std::uint32_t>(Bound));
    }
    template <class T>
    const T& Pick(const std::vector<T>& Items) { return Items[static_cast<size_t>(Next(static_cast<int>(Items.size())))]; }

private:
    std::uint32_t FState;
};

const char* kSchema =
    "CREATE TABLE customers("
    " CustNo INTEGER PRIMARY KEY,"
    " Company TEXT NOT NULL,"
    " Contact TEXT,"
    " City TEXT,"
    " Country TEXT,"
    " Phone TEXT,"
    " Since DATE,"
    " CreditLimit REAL CHECK(CreditLimit >= 0),"
    " Active BOOLEAN NOT NULL DEFAULT 1);"
    "CREATE TABLE orders("
    " OrderNo INTEGER PRIMARY KEY,"
    " CustNo INTEGER NOT NULL REFERENCES customers(CustNo),"
    " SaleDate DATE NOT NULL,"
    " ShipTime TIME,"
    " Amount REAL NOT NULL DEFAULT 0 CHECK(Amount >= 0),"
    " Status TEXT NOT NULL DEFAULT 'New' CHECK(Status IN ('New','Paid','Shipped','Cancelled')),"
    " Priority INTEGER CHECK(Priority BETWEEN 1 AND 5),"
    " Notes MEMO);"
    "CREATE INDEX orders_cust ON orders(CustNo);"
    "CREATE TABLE items("
    " ItemNo INTEGER PRIMARY KEY,"
    " OrderNo INTEGER NOT NULL REFERENCES orders(OrderNo),"
    " Description TEXT NOT NULL,"
    " Qty INTEGER NOT NULL CHECK(Qty > 0),"
    " Price REAL NOT NULL CHECK(Price >= 0));"
    "CREATE INDEX items_order ON items(OrderNo);"
    // Incremental search (Locate with a partial key, without case) finds its candidates
    // through these instead of reading every customer.
    "CREATE INDEX customers_company_nocase ON customers(Company COLLATE NOCASE);"
    "CREATE INDEX customers_contact_nocase ON customers(Contact COLLATE NOCASE);";

const std::vector<std::string> kFirst = {"Anna", "Boris", "Clara", "Dmitri", "Elena", "Farid", "Greta", "Hugo",
                                         "Ines", "Jonas", "Katja", "Luis", "Marta", "Nikola", "Olga", "Pavel",
                                         "Rosa", "Stefan", "Tereza", "Viktor"};
const std::vector<std::string> kLast = {"Novak", "Horvat", "Petrov", "Keller", "Moreau", "Rossi", "Silva", "Jansen",
                                        "Kowalski", "Lindqvist", "Ivanova", "Fischer", "Dubois", "Costa", "Nagy"};
const std::vector<std::string> kCompanyA = {"Blue", "North", "Silver", "Harbor", "Summit", "Amber", "Iron", "Green",
                                            "Bright", "Old Town", "River", "Alpine", "Coral", "Cedar"};
const std::vector<std::string> kCompanyB = {"Trading", "Supplies", "Outfitters", "Marine", "Works", "Traders",
                                            "Imports", "Diving", "Sports", "Goods"};
const std::vector<std::string> kPlaces = {"Ljubljana|Slovenia", "Zagreb|Croatia", "Vienna|Austria",
                                          "Prague|Czechia", "Lisbon|Portugal", "Porto|Portugal",
                                          "Gdansk|Poland", "Tallinn|Estonia", "Riga|Latvia", "Split|Croatia",
                                          "Trieste|Italy", "Valencia|Spain", "Marseille|France", "Rotterdam|Netherlands"};
const std::vector<std::string> kParts = {"Regulator",    "Dive computer", "Wetsuit 5mm", "Fins",     "Mask",
                                         "Snorkel",      "Tank 12l",      "BCD jacket",  "Torch",    "Compass",
                                         "Weight belt",  "Gloves",        "Boots",       "Hood",     "Knife",
                                         "Surface buoy", "Logbook",       "Slate",       "Reel",     "Camera housing"};
const std::vector<std::string> kStatus = {"New", "Paid", "Shipped", "Shipped", "Shipped", "Cancelled"};
const std::vector<std::string> kNotes = {"Deliver to the back entrance.", "Customer asked for an invoice by mail.",
                                         "Gift wrapping requested.", "Call before delivery.",
                                         "Part of the yearly stock order.", "Urgent: club trip next week."};

std::string Money(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    return buf;
}

}  // namespace

bool CreateSampleDatabase(const std::string& Path, const std::function<void(int Done, int Total)>& Progress)
{
    namespace fs = std::filesystem;
    if (fs::exists(Path))
        return false;
    // A folder that is not there is a mistyped path, not one to make up.
    fs::path folder = fs::path(Path).parent_path();
    if (!folder.empty() && !fs::is_directory(folder))
        throw Exception("Cannot create the sample database " + Path + ": there is no folder " + folder.string());
    std::string partial = Path + ".partial";
    fs::remove(partial);

    TSampleRandom rnd(20240611u);
    {
        TOwned<TDatabase> db(new TDatabase(nullptr));
        db->SetDatabaseName(partial);
        db->SetCreateIfMissing(true);
        db->Open();
        db->Execute(kSchema);
        db->StartTransaction();

        TOwned<TQuery> customer(new TQuery(nullptr));
        customer->SetDatabaseName(partial);
        customer->SQL()->SetText(
            "INSERT INTO customers(Company, Contact, City, Country, Phone, Since, CreditLimit, Active) "
            "VALUES (:Company, :Contact, :City, :Country, :Phone, :Since, :CreditLimit, :Active)");
        for (int i = 1; i <= kSampleCustomers; ++i) {
            std::string place = rnd.Pick(kPlaces);
            size_t bar = place.find('|');
            customer->ParamByName("Company")->SetAsString(rnd.Pick(kCompanyA) + " " + rnd.Pick(kCompanyB) + " " +
                                                          std::to_string(i));
            customer->ParamByName("Contact")->SetAsString(rnd.Pick(kFirst) + " " + rnd.Pick(kLast));
            customer->ParamByName("City")->SetAsString(place.substr(0, bar));
            customer->ParamByName("Country")->SetAsString(place.substr(bar + 1));
            customer->ParamByName("Phone")->SetAsString("+3" + std::to_string(10 + rnd.Next(90)) + " " +
                                                        std::to_string(100 + rnd.Next(900)) + " " +
                                                        std::to_string(1000 + rnd.Next(9000)));
            customer->ParamByName("Since")->SetAsString(DateToISO(EncodeDate(2010 + rnd.Next(14), 1 + rnd.Next(12), 1 + rnd.Next(28))));
            customer->ParamByName("CreditLimit")->SetAsFloat(1000.0 * (1 + rnd.Next(20)));
            customer->ParamByName("Active")->SetAsInteger(rnd.Next(10) < 8 ? 1 : 0);
            customer->ExecSQL();
        }

        TOwned<TQuery> order(new TQuery(nullptr));
        order->SetDatabaseName(partial);
        order->SQL()->SetText(
            "INSERT INTO orders(OrderNo, CustNo, SaleDate, ShipTime, Amount, Status, Priority, Notes) "
            "VALUES (:OrderNo, :CustNo, :SaleDate, :ShipTime, :Amount, :Status, :Priority, :Notes)");
        TOwned<TQuery> item(new TQuery(nullptr));
        item->SetDatabaseName(partial);
        item->SQL()->SetText(
            "INSERT INTO items(OrderNo, Description, Qty, Price) VALUES (:OrderNo, :Description, :Qty, :Price)");
        for (int o = 1; o <= kSampleOrders; ++o) {
            int lines = 1 + rnd.Next(5);
            double amount = 0;
            for (int l = 0; l < lines; ++l) {
                int qty = 1 + rnd.Next(6);
                double price = (500 + rnd.Next(60000)) / 100.0;
                amount += qty * price;
                item->ParamByName("OrderNo")->SetAsInteger(o);
                item->ParamByName("Description")->SetAsString(rnd.Pick(kParts));
                item->ParamByName("Qty")->SetAsInteger(qty);
                item->ParamByName("Price")->SetAsFloat(price);
                item->ExecSQL();
            }
            order->ParamByName("OrderNo")->SetAsInteger(o);
            order->ParamByName("CustNo")->SetAsInteger(1 + rnd.Next(kSampleCustomers));
            order->ParamByName("SaleDate")->SetAsString(DateToISO(EncodeDate(2021 + rnd.Next(4), 1 + rnd.Next(12), 1 + rnd.Next(28))));
            order->ParamByName("ShipTime")->SetAsString(TimeToISO(EncodeTime(7 + rnd.Next(11), rnd.Next(4) * 15, 0, 0)));
            order->ParamByName("Amount")->SetAsFloat(std::stod(Money(amount)));
            order->ParamByName("Status")->SetAsString(rnd.Pick(kStatus));
            order->ParamByName("Priority")->SetAsInteger(1 + rnd.Next(5));
            if (rnd.Next(3) == 0)
                order->ParamByName("Notes")->SetAsString(rnd.Pick(kNotes) + "\n" + rnd.Pick(kNotes));
            else
                order->ParamByName("Notes")->Clear();
            order->ExecSQL();
            if (Progress && o % 100 == 0)
                Progress(o, kSampleOrders);
        }
        db->Commit();
        db->Close();
    }
    fs::rename(partial, Path);
    return true;
}

}  // namespace korin
