#pragma once
// The sample database of the demo: customers, their orders and the orders' lines, made
// the same way on every machine (a fixed pseudo-random sequence) through the platform's
// own database components.
//
//   customers(CustNo auto-increment, Company, Contact, City, Country, Phone, Since DATE,
//             CreditLimit, Active BOOLEAN)                                   200 rows
//   orders(OrderNo auto-increment, CustNo -> customers, SaleDate DATE, ShipTime TIME,
//          Amount (sum of the lines, never negative), Status New/Paid/Shipped/Cancelled,
//          Priority, Notes MEMO)                                            2000 rows
//   items(ItemNo auto-increment, OrderNo -> orders, Description, Qty > 0, Price)
//                                                                       about 6000 rows
#include <functional>
#include <string>

namespace korin {

// Creates the database at Path unless a file is already there; true when it was made.
// The file appears complete or not at all (it is written under another name first). A
// folder of Path that does not exist raises an Exception naming the path.
// Progress, when given, hears how many orders of how many are written, every 100 orders.
bool CreateSampleDatabase(const std::string& Path,
                          const std::function<void(int Done, int Total)>& Progress = nullptr);

// Row counts of the generated database.
constexpr int kSampleCustomers = 200;
constexpr int kSampleOrders = 2000;

}  // namespace korin
