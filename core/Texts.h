// Every text the program shows or writes, as Windows-1251 bytes (core/Cp1251.h).
#pragma once

#include "core/Cp1251.h"

namespace velkaro::texts {

// Application
inline constexpr const char* kAppTitle = "Velkaro V1.4 Final";
inline constexpr const char* kWebSite = "https://velkaro.example/";
inline constexpr const char* kEmail = "author@velkaro.example";
inline constexpr const char* kOnlineHelp = "https://velkaro.example/program/vlk14f/index.php?len=RUS";

// Lookups on the price table
inline constexpr const char* kTariffMissPrices = "ER";
inline constexpr const char* kTariffMissRename = "Ошиибка доступа к "_cp1251;

// Files
inline constexpr const char* kHistoryFile = "history.txt";
inline constexpr const char* kPriceFile = "price.txt";
inline constexpr const char* kReportFile = "history.htm";
inline constexpr const char* kCsvFile = "history.csv";
inline constexpr const char* kHelpFile = "help.mht";
inline constexpr const char* kHistoryBackup = "history.bak";
inline constexpr const char* kPriceBackup = "price.bak";
inline constexpr const char* kLimitFile = "limits.txt";
inline constexpr const char* kLimitBackup = "limits.bak";
inline constexpr const char* kTariffFile = "tariffs.txt";
inline constexpr const char* kTariffBackup = "tariffs.bak";
inline constexpr const char* kNotAFloat = "'%s' is not a valid floating point value";

// Files that exist but could not be read. %s: the file with the reason in brackets, or several
// joined by kListJoin and, before the last, kAndFile.
inline constexpr const char* kUnreadAtStartOne =
    "Не удалось прочитать файл %s. Учёт идёт, но файл не будет перезаписан, пока его не удастся прочитать."_cp1251;
inline constexpr const char* kUnreadAtStartTwo =
    "Не удалось прочитать файлы %s. Учёт идёт, но файлы не будут перезаписаны, пока их не удастся прочитать."_cp1251;
inline constexpr const char* kUnwrittenOne =
    "Файл %s не перезаписан: его не удалось прочитать. Данные этого запуска в нём не сохранены."_cp1251;
inline constexpr const char* kUnwrittenTwo =
    "Файлы %s не перезаписаны: их не удалось прочитать. Данные этого запуска в них не сохранены."_cp1251;
inline constexpr const char* kAndFile = " и "_cp1251;
inline constexpr const char* kListJoin = ", ";
// Reasons, by error code; %d: the code.
inline constexpr const char* kReasonAccessDenied = "доступ запрещён"_cp1251;            // 5
inline constexpr const char* kReasonSharingViolation = "файл занят другой программой"_cp1251;  // 32
inline constexpr const char* kReasonLockViolation = "файл заблокирован другой программой"_cp1251;  // 33
inline constexpr const char* kReasonTooManyOpenFiles = "открыто слишком много файлов"_cp1251;  // 4
inline constexpr const char* kReasonNotReady = "устройство не готово"_cp1251;            // 21
inline constexpr const char* kReasonBadNetPath = "сетевой путь не найден"_cp1251;        // 53
inline constexpr const char* kReasonOther = "ошибка ввода-вывода %d"_cp1251;

// %s the file, %d how many, %s the first few (each in apostrophes), %s the copy kept.
inline constexpr const char* kSkippedLines =
    "В файле %s пропущено строк, которые не удалось прочитать: %d, среди них: %s. "_cp1251
    "Перед первой записью файл в прежнем виде сохраняется рядом под именем %s."_cp1251;
inline constexpr const char* kSkippedLineCut = "...";

// Statistics window
// The program's name in capitals: the statistics window's caption and the about window's heading.
inline constexpr const char* kProductCaps = "VELKARO V1.4 FINAL";
inline constexpr const char* kToday = "Сегодня"_cp1251;
inline constexpr const char* kTotal = "Всего"_cp1251;
inline constexpr const char* kSent = "Отправлено"_cp1251;
inline constexpr const char* kReceived = "Принято"_cp1251;
inline constexpr const char* kHeaderSpeed = "Скорость"_cp1251;
inline constexpr const char* kHeaderCost = "Итого"_cp1251;
inline constexpr const char* kHeaderPriceIn = "Цена Вход."_cp1251;
inline constexpr const char* kHeaderPriceOut = "Цена Исход."_cp1251;
inline constexpr const char* kButtonExit = "Выход"_cp1251;
inline constexpr const char* kButtonMail = "Написать автору"_cp1251;
inline constexpr const char* kButtonClear = "Отчистить историю"_cp1251;
inline constexpr const char* kButtonHelp = "Помощь"_cp1251;
inline constexpr const char* kButtonAbout = "Об авторе"_cp1251;
inline constexpr const char* kPromptPriceIn = "Введите цену за 1 мб входящего трафика в рублях "_cp1251;
inline constexpr const char* kPromptPriceOut = "Введите цену за 1 мб исходящего трафика в рублях "_cp1251;
inline constexpr const char* kDefaultPrice = "1,5";
inline constexpr const char* kNegativePrice = "Цена не может быть отрицательной."_cp1251;
// "Новая цена с даты...": after the two prices, the first day they apply; today's prefilled.
inline constexpr const char* kPromptPriceFrom = "Действует с (ДД.ММ.ГГГГ):"_cp1251;
inline constexpr const char* kBadPriceDate =
    "Дата должна быть записана как ДД.ММ.ГГГГ, например 01.03.2026. Цены не изменены."_cp1251;
inline constexpr const char* kFuturePriceDate =
    "Новая цена задаётся с сегодняшнего или с прошедшего дня. Цены не изменены."_cp1251;
inline constexpr const char* kPromptRename = "Введите имя для соединения "_cp1251;
inline constexpr const char* kDefaultRename = "...";
inline constexpr const char* kPromptLimit = "Лимит расходов в месяц, руб. (0 - без лимита):"_cp1251;
inline constexpr const char* kDefaultLimit = "0";
inline constexpr const char* kNegativeLimit = "Лимит не может быть отрицательным."_cp1251;
// The limit command with no adapter picked (the panel shows no block).
inline constexpr const char* kLimitNoAdapter =
    "Лимит задаётся для соединения из статистики: выберите его блок правой кнопкой мыши."_cp1251;
// The second dialog of both limit commands; its default is the day kept, else 1.
inline constexpr const char* kPromptPeriodDay = "День начала расчётного периода (1-31):"_cp1251;
inline constexpr const char* kBadPeriodDay =
    "День начала расчётного периода должен быть целым числом от 1 до 31."_cp1251;
inline constexpr const char* kPromptTrafficLimit = "Лимит трафика в месяц, Mb (0 - без лимита):"_cp1251;
// The limit line of a block: kLimitLineLimit, the limit, kLimitLineMonth, the period's cost
// or traffic, the percent in brackets, then kLimitLineForecast and the forecast once known.
inline constexpr const char* kLimitLineLimit = "Лимит: "_cp1251;
inline constexpr const char* kLimitLineMonth = ", за месяц: "_cp1251;
inline constexpr const char* kLimitLineForecast = ", прогноз: "_cp1251;
// The warning balloon: the display name, kBalloonSpent, the percent, kBalloonOfLimit, the
// period's cost or traffic, kBalloonFrom, the limit, ")".
inline constexpr const char* kBalloonSpent = ": израсходовано "_cp1251;
inline constexpr const char* kBalloonOfLimit = "% месячного лимита ("_cp1251;
inline constexpr const char* kBalloonFrom = " из "_cp1251;
// The forecast's balloon: the display name, kBalloonForecast, DD.MM, kBalloonForecastAmount,
// the forecast, kBalloonForecastLimit, the limit, ")".
inline constexpr const char* kBalloonForecast = ": при таком расходе лимит будет превышен около "_cp1251;
inline constexpr const char* kBalloonForecastAmount = " (прогноз: "_cp1251;
inline constexpr const char* kBalloonForecastLimit = ", лимит: "_cp1251;
inline constexpr const char* kMailSubject = "User Velkaro V1.4 Final";
inline constexpr const char* kMailBody = "Здраствуйте уважаемые разработчики Velkaro V1.4 Final"_cp1251;
inline constexpr const char* kMailTo = "mailto:";
inline constexpr const char* kMailSubjectKey = "?subject=";
inline constexpr const char* kMailBodyKey = "&body=";
inline constexpr const char* kMailEnd = "%0d";
inline constexpr const char* kMailFailed = "Не удалось написать письмо автору."_cp1251;
// After kMailFailed and a blank: the reason, then the author's address to copy from the box.
inline constexpr const char* kMailFailedWhy = "Причина: %s. Адрес автора: %s"_cp1251;
// %s: kOpenHelp or kOpenOnlineHelp with the file's name or the page's address, %s: the reason.
inline constexpr const char* kOpenFailed = "Не удалось открыть %s: %s."_cp1251;
inline constexpr const char* kOpenHelp = "справку "_cp1251;
inline constexpr const char* kOpenOnlineHelp = "страницу справки "_cp1251;
// The report or the CSV file was written, but the shell could not open it.
inline constexpr const char* kOpenWrittenFailed =
    "Файл %s записан в папку программы, но открыть его не удалось: %s."_cp1251;
// Reasons, by the shell's result; %s: the result.
inline constexpr const char* kOpenNoProgram = "не найдена программа для открытия"_cp1251;  // 27, 31
inline constexpr const char* kOpenNotFound = "файл не найден"_cp1251;                     // 2, 3
inline constexpr const char* kOpenNoMemory = "недостаточно памяти"_cp1251;                // 0, 8
inline constexpr const char* kOpenNoAnswer = "программа не ответила"_cp1251;              // 28 to 30
inline constexpr const char* kOpenOther = "ошибка %s"_cp1251;
// history.csv could not be replaced. %s: the reason.
inline constexpr const char* kCsvWriteFailed =
    "Не удалось записать файл history.csv (%s). Если он открыт в другой программе, закройте его и повторите экспорт."_cp1251;
inline constexpr const char* kClearQuestion = "Удалить всю историю трафика? Это нельзя отменить."_cp1251;
inline constexpr const char* kClearDone = "Операция выполнена успешно"_cp1251;
inline constexpr const char* kClearFailed = "Не удалось удалить файл истории HISTORY.txt"_cp1251;
// The history file was not read in this run, so it was neither deleted nor emptied.
inline constexpr const char* kClearNotRead =
    "Файл истории HISTORY.txt не был прочитан, поэтому история не удалена."_cp1251;
inline constexpr const char* kNoTimers = "Not enough timers available";
// The periodic save's error: kAutosaveFailed, the file, kAutosaveFailedWhy, the runtime's text.
inline constexpr const char* kAutosaveFailed = "Не удалось записать файл "_cp1251;
inline constexpr const char* kAutosaveFailedWhy = " при автоматическом сохранении: "_cp1251;

// Quick-info window
inline constexpr const char* kQuickInfoCaption = "Fast INFO";
inline constexpr const char* kColumnName = "Имя"_cp1251;
inline constexpr const char* kColumnTraffic = "Трафик"_cp1251;
inline constexpr const char* kColumnCost = "Сумма"_cp1251;
// Followed by the system's error code and kAutostartFailedEnd.
inline constexpr const char* kAutostartWriteFailed =
    "Не удалось записать автозапуск Velkaro в реестр Windows (код ошибки "_cp1251;
inline constexpr const char* kAutostartDeleteFailed =
    "Не удалось удалить автозапуск Velkaro из реестра Windows (код ошибки "_cp1251;
inline constexpr const char* kAutostartFailedEnd = ").";
// Started with /autostart, the program could not make its own folder the current one.
inline constexpr const char* kAutostartNoFolder =
    "Не удалось перейти в папку программы. Velkaro закрывается, чтобы не вести историю в другой папке."_cp1251;

// Tray tip: the title, then these two lines,
inline constexpr const char* kTipToday = "Сегодня: "_cp1251;
inline constexpr const char* kTipSpeed = "Скорость: "_cp1251;
// and, with a limit, kTipLeft, what is left of it, kTipPerDay, that for each day left
inline constexpr const char* kTipLeft = "Осталось: "_cp1251;
inline constexpr const char* kTipPerDay = ", в день: "_cp1251;

// Single-instance guard
inline constexpr const char* kAlreadyRunning = "Программа Velkaro V1.4 Final уже запущена"_cp1251;

// About window
inline constexpr const char* kAboutCaption = "About....";
inline constexpr const char* kAboutCredit = "Команда Velkaro"_cp1251;
inline constexpr const char* kAboutCity = "Новосибирск, 2026"_cp1251;
inline constexpr const char* kAboutBy = "Реализовал:"_cp1251;
inline constexpr const char* kAboutSite = "офицальный сайт"_cp1251;
inline constexpr const char* kAboutMail = "e-mail:";

// Units of amounts
inline constexpr const char* kUnitKb = " Kb";
inline constexpr const char* kUnitMb = " Mb ";
inline constexpr const char* kMoneyUnit = " руб."_cp1251;
inline constexpr const char* kSpeedKb = " Kb/s";
inline constexpr const char* kSpeedMb = " Mb/s";

// History report: the charts above the day table
inline constexpr const char* kChartDaysTitle = "Трафик по дням, последние 31 день с записями: "_cp1251;
inline constexpr const char* kChartMonthsTitle = "Стоимость по месяцам: "_cp1251;
inline constexpr const char* kChartReceivedShort = "принято "_cp1251;
inline constexpr const char* kChartSentShort = "отправлено "_cp1251;
inline constexpr const char* kChartNoRecords = "Записей нет, графики не построены."_cp1251;
// Months without records between two bars: the count and kChartGapMonths under the break,
// kChartGap before them in its tip; the legend's kChartGapLegend beside a broken line.
inline constexpr const char* kChartGap = "нет записей"_cp1251;
inline constexpr const char* kChartGapMonths = " мес."_cp1251;
inline constexpr const char* kChartGapLegend = "месяцы без записей (их число под разрывом)"_cp1251;
// The money chart's limit line, in its legend: kChartLimit, then the limit.
inline constexpr const char* kChartLimit = "Лимит в месяц: "_cp1251;
// Bars taller than the scale are cut: the legend's note.
inline constexpr const char* kChartCut = "столбцы выше шкалы срезаны, их сумма написана на них"_cp1251;

// Speed graph: the caption, then ": " and the adapter's display name or kGraphAll; each
// direction's line is kReceived or kSent, kGraphNow, kGraphAverage, kGraphHighest
// with a speed after each; the time axis runs from kGraphSpanStart to kGraphSpanEnd.
inline constexpr const char* kGraphCaption = "График скорости"_cp1251;
inline constexpr const char* kGraphAll = "все адаптеры"_cp1251;
inline constexpr const char* kGraphNow = ": сейчас "_cp1251;
inline constexpr const char* kGraphAverage = ", в среднем "_cp1251;
inline constexpr const char* kGraphHighest = ", наибольшая "_cp1251;
inline constexpr const char* kGraphSpanStart = "10 мин назад"_cp1251;
inline constexpr const char* kGraphSpanEnd = "сейчас"_cp1251;

// CSV export (history.csv): the header row
inline constexpr const char* kCsvDate = "Дата"_cp1251;
inline constexpr const char* kCsvAdapter = "Адаптер"_cp1251;
inline constexpr const char* kCsvReceived = "Принято, байт"_cp1251;
inline constexpr const char* kCsvSent = "Отправлено, байт"_cp1251;
inline constexpr const char* kCsvCost = "Стоимость, руб."_cp1251;

}  // namespace velkaro::texts
