#pragma once

// The codes of the program's own domain by name. The values are what the file stores (Type
// and status of pvx, and the lookup tables TypeNames and StatusNames made from these same
// enums) and how the menus and the find dialog number their entries; they never change.

// What a record is: its Type, and the position in the main form's Type list.
enum class OrderType : int { Order = 0, Rebate = 1, Sale = 2 };

// The word a type is printed with, in the reports, pvxadmin and the TypeNames table.
constexpr const char* nameOf(OrderType type) {
    switch (type) {
    case OrderType::Order:
        return "Order";
    case OrderType::Rebate:
        return "Rebate";
    case OrderType::Sale:
        break;
    }
    return "Sale";
}

// Whether it has come: its status, and the position in the Received list.
enum class ReceivedStatus : int { No = 0, Partially = 1, Yes = 2 };

// The word a status is shown with, in the Received list and the StatusNames table.
constexpr const char* nameOf(ReceivedStatus status) {
    switch (status) {
    case ReceivedStatus::No:
        return "No";
    case ReceivedStatus::Partially:
        return "Partially";
    case ReceivedStatus::Yes:
        break;
    }
    return "Yes";
}

// The order the main form pages in: gSortOrder, the Sort menu's items and the find
// dialog's options, numbered from 1.
enum class SortOrder : int { OrderDate = 1, Description = 2, Vendor = 3 };

// The Reports menu's five reports, numbered as the menu numbers them.
enum class BuiltInReport : int {
    AllOrders = 1,
    AllRebates = 2,
    AllSales = 3,
    Outstanding = 4,
    Overdue = 5
};

// The number a code stands for, to store, bind or compare with a list's position.
template <class Code> constexpr int codeOf(Code code) {
    return static_cast<int>(code);
}
