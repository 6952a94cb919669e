#pragma once

// The help context numbers of the program's windows, controls and menu items: the one table
// of them. Each is answered by the help topic whose front block lists it (help/topics/*.md,
// "contexts:"); F1 opens the topic of whatever has the focus (HelpKey.h), found through the
// number the object carries (HelpContext.h).
namespace HelpTopic {

// The main window and its controls.
constexpr int Type = 2;
constexpr int MainWindow = 8;
constexpr int AddNew = 9;
constexpr int Update = 10;
constexpr int Cancel = 11;
constexpr int Delete = 13;
constexpr int PagingButtons = 14;
constexpr int Find = 15;
constexpr int Description = 16;
constexpr int ReceivedStatus = 17;
constexpr int OrderNumber = 18;
constexpr int OrderedBy = 19;
// The order date and the calendar pop-up every date field opens.
constexpr int DateOrdered = 20;
constexpr int DateExpected = 21;
constexpr int DateReceived = 22;
constexpr int Amount = 23;
constexpr int Miscellaneous = 24;
constexpr int Vendor = 25;
constexpr int Address = 26;
constexpr int Phone = 27;
constexpr int Email = 28;
constexpr int Fax = 29;
constexpr int SelectExisting = 30;
constexpr int Items = 31;
constexpr int Notes = 32;
constexpr int PaymentMethod = 51;
constexpr int StatusLine = 70;

// The menus and what they open.
constexpr int FileMenuAndBackup = 33;
constexpr int PackDatabase = 34;
constexpr int Exit = 35;
// File, Import and Export to CSV.
constexpr int ImportExport = 71;
constexpr int SortMenu = 36;
constexpr int ReportOutput = 37;
// The Reports menu, All Orders and the report date range.
constexpr int ReportsMenu = 38;
constexpr int AllRebates = 39;
constexpr int AllSales = 40;
constexpr int Outstanding = 41;
constexpr int Overdue = 42;
constexpr int HelpMenu = 48;
constexpr int About = 49;

// The custom report designer.
constexpr int CustomReports = 43;
constexpr int CustomReportFields = 44;
constexpr int CustomFieldDetails = 45;
constexpr int CustomSelectionCriteria = 46;
constexpr int CustomReportOptions = 66;
constexpr int CustomSorting = 68;
constexpr int CustomDesigns = 47;

} // namespace HelpTopic
