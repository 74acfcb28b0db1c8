// Every text the program shows or writes, in one place. The sources are UTF-8; the compiler
// turns string literals into Windows-1251 bytes (-fexec-charset=CP1251), which is how the
// program holds, compares and writes text.
#pragma once

namespace velkaro::texts {

// Application
inline constexpr char kAppTitle[] = "Velkaro V1.4 Final";
inline constexpr char kWebSite[] = "https://velkaro.example/";
inline constexpr char kEmail[] = "author@velkaro.example";
inline constexpr char kOnlineHelp[] = "https://velkaro.example/program/vlk14f/index.php?len=RUS";

// Lookups on the price table
inline constexpr char kTariffMissPrices[] = "ER";
inline constexpr char kTariffMissRename[] = "Ошиибка доступа к ";

// Files
inline constexpr char kHistoryFile[] = "history.txt";
inline constexpr char kPriceFile[] = "price.txt";
inline constexpr char kReportFile[] = "history.htm";
inline constexpr char kHelpFile[] = "help.mht";
inline constexpr char kNotAFloat[] = "'%s' is not a valid floating point value";

// Statistics window
inline constexpr char kForm1Caption[] = "VELKARO V1.4 FINAL";
inline constexpr char kToday[] = "Сегодня";
inline constexpr char kAllTime[] = "Всего";
inline constexpr char kHeaderSent[] = "Отправлено";
inline constexpr char kHeaderReceived[] = "Принято";
inline constexpr char kHeaderTotal[] = "Всего";
inline constexpr char kHeaderSpeed[] = "Скорость";
inline constexpr char kHeaderCost[] = "Итого";
inline constexpr char kHeaderPriceIn[] = "Цена Вход.";
inline constexpr char kHeaderPriceOut[] = "Цена Исход.";
inline constexpr char kButtonExit[] = "Выход";
inline constexpr char kButtonMail[] = "Написать автору";
inline constexpr char kButtonClear[] = "Отчистить историю";
inline constexpr char kButtonHelp[] = "Помощь";
inline constexpr char kButtonAbout[] = "Об авторе";
inline constexpr char kMenuHistory[] = "История";
inline constexpr char kMenuPrices[] = "Задать цену";
inline constexpr char kMenuRename[] = "Переименовать";
inline constexpr char kPromptPriceIn[] = "Введите цену за 1 мб входящего трафика в рублях ";
inline constexpr char kPromptPriceOut[] = "Введите цену за 1 мб исходящего трафика в рублях ";
inline constexpr char kDefaultPrice[] = "1,5";
inline constexpr char kPromptRename[] = "Введите имя для соединения ";
inline constexpr char kDefaultRename[] = "...";
inline constexpr char kMailSubject[] = "User Velkaro V1.4 Final";
inline constexpr char kMailBody[] = "Здраствуйте уважаемые разработчики Velkaro V1.4 Final";
inline constexpr char kMailTo[] = "mailto:";
inline constexpr char kMailSubjectKey[] = "?subject=";
inline constexpr char kMailBodyKey[] = "&body=";
inline constexpr char kMailEnd[] = "%0d";
inline constexpr char kMailFailed[] = "Не удалось написать письмо автору.";
inline constexpr char kClearDone[] = "Операция выполнена успешно";
inline constexpr char kClearFailed[] = "Не удалось удалить файл истории HISTORY.txt";
inline constexpr char kNoTimers[] = "Not enough timers available";

// Quick-info window
inline constexpr char kForm2Caption[] = "Fast INFO";
inline constexpr char kColumnName[] = "Имя";
inline constexpr char kColumnTraffic[] = "Трафик";
inline constexpr char kColumnCost[] = "Сумма";
inline constexpr char kMenuMainForm[] = "Главная форма";
inline constexpr char kMenuExit[] = "Выход";

// Single-instance guard
inline constexpr char kAlreadyRunning[] = "Программа Velkaro V1.4 Final уже запущена";
// The guard's message when none is set: these around the application title.
inline constexpr char kAlreadyRunningBefore[] = "Программа ";
inline constexpr char kAlreadyRunningAfter[] = " уже запущена";

// Tray icon
inline constexpr char kTrayInsertFailed[] = "TrayIcon1.InsertToTray failed";
inline constexpr char kTrayDeleteFailed[] = "TrayIcon1.DeleteFromTray failed";
inline constexpr char kTrayInsertFailedSuffix[] = ".InsertToTray failed";  // after the name
inline constexpr char kTrayDeleteFailedSuffix[] = ".DeleteFromTray failed";
inline constexpr char kTrayWindowFailed[] = "Cannot create the tray icon window";

// About window
inline constexpr char kForm3Caption[] = "About....";
inline constexpr char kAboutProduct[] = "VELKARO V1.4 FINAL";
inline constexpr char kAboutCredit[] = "Команда Velkaro";
inline constexpr char kAboutCity[] = "Новосибирск, 2026";
inline constexpr char kAboutBy[] = "Реализовал:";
inline constexpr char kAboutSite[] = "офицальный сайт";
inline constexpr char kAboutMail[] = "e-mail:";

// Units of amounts
inline constexpr char kUnitKb[] = " Kb";
inline constexpr char kUnitMb[] = " Mb ";
inline constexpr char kMoneyUnit[] = " руб.";

}  // namespace velkaro::texts
