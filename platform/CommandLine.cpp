#include "platform/CommandLine.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// The options Qt 6 itself reads from the command line (QGuiApplication,
// QApplication and the X11 platform), each also accepted with two dashes as
// Qt accepts it.
constexpr std::array<std::string_view, 16> kQtOptionsWithValue = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry",
    "qwindowicon", "icon", "qwindowtitle", "title", "session", "display", "name", "visual",
    "style", "stylesheet"};
constexpr std::array<std::string_view, 5> kQtFlags = {"reverse", "nograb", "dograb", "widgetcount",
                                                      "testability"};
// Options Qt also takes as "-option=value".
constexpr std::array<std::string_view, 3> kQtJoinedOptions = {"style=", "stylesheet=",
                                                              "qmljsdebugger="};

template <std::size_t n>
bool Contains(const std::array<std::string_view, n>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

template <std::size_t n>
bool StartsWithAny(const std::array<std::string_view, n>& prefixes, std::string_view name) {
  return std::any_of(prefixes.begin(), prefixes.end(),
                     [name](std::string_view prefix) { return name.starts_with(prefix); });
}

CommandLine UsageError(const QString& error) {
  CommandLine line;
  line.action = CommandLine::Action::kUsageError;
  line.error = error;
  return line;
}

QString Shown(const QByteArray& argument) { return QString::fromLocal8Bit(argument); }

// Takes the value that follows the option at `i`; false when there is none.
bool TakeValue(const QByteArrayList& arguments, qsizetype& i, QByteArray& value) {
  if (i + 1 >= arguments.size()) return false;
  value = arguments[++i];
  return true;
}

// The print request's checks once every argument is read.
CommandLine FinishPrint(CommandLine line) {
  if (line.printMode == CommandLine::PrintMode::kNone) {
    if (!line.printTo.isNull()) return UsageError(QStringLiteral("--to は --print と共に指定します。"));
    return line;
  }
  if (line.printTo.isNull()) return UsageError(QStringLiteral("--print には --to 出力.pdf が必要です。"));
  if (!line.files.isEmpty()) {
    return UsageError(QStringLiteral("--print と共に開くファイルは指定できません: %1")
                          .arg(Shown(line.files.first())));
  }
  line.action = CommandLine::Action::kPrint;
  return line;
}

}  // namespace

CommandLine ParseCommandLine(const QByteArrayList& arguments) {
  CommandLine line;
  line.qtArguments << (arguments.isEmpty() ? QByteArray("kesto") : arguments.first());
  bool options = true;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QByteArray& argument = arguments[i];
    if (!options || argument.size() < 2 || !argument.startsWith('-')) {
      line.files << argument;
      continue;
    }
    if (argument == "--") {
      options = false;
    } else if (argument == "-h" || argument == "--help") {
      line.action = CommandLine::Action::kHelp;
      return line;
    } else if (argument == "--version") {
      line.action = CommandLine::Action::kVersion;
      return line;
    } else if (argument == "--print" || argument == "--print-two-column") {
      if (line.printMode != CommandLine::PrintMode::kNone) {
        return UsageError(QStringLiteral("印刷は一度に一つだけ指定できます。"));
      }
      line.printMode = argument == "--print" ? CommandLine::PrintMode::kOneColumn
                                             : CommandLine::PrintMode::kTwoColumn;
      if (!TakeValue(arguments, i, line.printFile)) {
        return UsageError(QStringLiteral("%1 には印刷するファイルが必要です。").arg(Shown(argument)));
      }
    } else if (argument == "--to") {
      if (!TakeValue(arguments, i, line.printTo)) {
        return UsageError(QStringLiteral("--to には出力する PDF ファイルが必要です。"));
      }
    } else {
      // Qt reads its options with one dash or two.
      const std::string_view name =
          std::string_view(argument.constData(), argument.size()).substr(argument.startsWith("--") ? 2 : 1);
      if (Contains(kQtOptionsWithValue, name)) {
        QByteArray value;
        if (!TakeValue(arguments, i, value)) {
          return UsageError(QStringLiteral("オプション %1 には値が必要です。").arg(Shown(argument)));
        }
        line.qtArguments << argument << value;
        if (name == "display") line.display = value;
      } else if (Contains(kQtFlags, name) || StartsWithAny(kQtJoinedOptions, name)) {
        line.qtArguments << argument;
      } else {
        return UsageError(QStringLiteral("不明なオプションです: %1（使い方は kesto --help）")
                              .arg(Shown(argument)));
      }
    }
  }
  return FinishPrint(line);
}

QString CommandLineUsage() {
  return QStringLiteral(
      "使い方: kesto [オプション] [ファイル...]\n"
      "NC プログラム (.m, .s) を開きます。KESTO がすでに起動していれば、ファイルを\n"
      "そのウィンドウに渡して終了します。\n"
      "\n"
      "オプション:\n"
      "  -h, --help              この使い方を表示して終了します\n"
      "  --version               版を表示して終了します\n"
      "  --print ファイル --to 出力.pdf\n"
      "                          ファイルを PDF に印刷して終了します\n"
      "  --print-two-column ファイル --to 出力.pdf\n"
      "                          ファイルを二段で PDF に印刷して終了します\n"
      "  --                      これより後はすべてファイル名として扱います\n"
      "\n"
      "Qt のオプション (-style, -platform, -reverse など) は -- より前に指定できます。\n"
      "\n"
      "終了コード: 0 成功、1 ファイルを渡せなかった、2 コマンドラインの誤り\n");
}
