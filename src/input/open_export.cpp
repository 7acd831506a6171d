#include "input/open_export.h"

#include "input/datetime.h"
#include "input/formats.h"
#include "input/loading.h"
#include "input/messages.h"

namespace vexa {

namespace {

bool isAccepted(int count) {
  return count == kClimate || count == kMotionEvents || count == kClimateLight ||
         count == kTemperature || count == kPairedNumeric;
}

// First and last time stamp by position: line 1 and the last line. Of a
// thinned export, those of the file, not of the lines kept: its span is the
// export's whole span.
void scanClimateSpan(const std::string& fileName, Session& session) {
  if (session.List.size() < 2) {
    throw FileReadError(fileName, "в файле нет строк данных, только строка заголовка");
  }
  session.OsMin1 = parseDateTime(normaliseTimeStamp(session.List[1]));
  session.OsMax1 = parseDateTime(normaliseTimeStamp(session.List.back()));
  if (session.thinning > 1 && session.readings) {
    if (session.readings->firstLineTime) {
      session.OsMin1 = serialOf(*session.readings->firstLineTime);
    }
    if (session.readings->lastLineTime) {
      session.OsMax1 = serialOf(*session.readings->lastLineTime);
    }
  }
}

// Earliest and latest sample of all series; the span is left as it was when
// the file holds no sample at all.
void scanPairedSpan(Session& session) {
  bool seen = false;
  std::string stamp;
  for (std::size_t i = 1; i < session.List.size(); ++i) {
    const std::string& line = session.List[i];
    const std::string_view date = head(line);
    walkPairedLine(line, session.datc, [&](int, const PairFields& pair) {
      if (pair.time.empty()) {
        return;
      }
      stamp.assign(date);
      stamp.push_back(' ');
      stamp.append(pair.time);
      const double dat1 = parseDateTime(stamp);
      if (!seen) {
        session.OsMin1 = session.OsMax1 = dat1;
        seen = true;
      } else if (dat1 < session.OsMin1) {
        session.OsMin1 = dat1;
      } else if (dat1 > session.OsMax1) {
        session.OsMax1 = dat1;
      }
    });
  }
}

}  // namespace

ExportLayout openExport(const std::string& fileName, Session& session, OpenObserver& observer) {
  ReadingCollector collector;
  LoadedLines loaded = loadExportLines(fileName, kMaxLines, {}, &collector);
  auto readings = std::make_shared<const ExportReadings>(collector.finish());
  return openLoadedExport(std::move(loaded), fileName, session, observer, std::move(readings));
}

ExportLayout openLoadedExport(LoadedLines loaded, const std::string& fileName, Session& session,
                              OpenObserver& observer,
                              std::shared_ptr<const ExportReadings> readings) {
  if (loaded.lines.empty()) {
    throw FileReadError(fileName, "файл пуст, в нём нет ни одной строки");
  }
  session.List = std::move(loaded.lines);
  session.thinning = loaded.thinningFactor;
  session.readings = readings
                         ? std::move(readings)
                         : std::make_shared<const ExportReadings>(readingsOfLines(session.List));
  session.snapshot = std::move(loaded.snapshot);
  session.sha256 = std::move(loaded.sha256);

  session.count = recogniseHeader(session.List.front());

  if (loaded.thinningFactor > 1) {
    observer.thinningWarning(std::string(kThinningMessage) + std::to_string(loaded.thinningFactor));
  }
  if (!isAccepted(session.count)) {
    throw StopWithMessage(kUnknownFormatMessage);
  }

  // A climate-family file of its header line alone has nothing to scan: it is
  // refused before the window takes the layout's shape.
  if (isClimateFamily(session.count) && session.List.size() < 2) {
    throw FileReadError(fileName, "в файле нет строк данных, только строка заголовка");
  }

  ExportLayout layout;
  const std::string stem = stemOf(fileName);
  switch (session.count) {
    case kClimate:
    case kTemperature:
      layout.twoProbe = hasTwoProbeMarker(stem);
      if (layout.twoProbe) {
        session.ref = "#";
      }
      layout.count = session.count;
      observer.layoutRecognised(layout);
      scanClimateSpan(fileName, session);
      break;
    case kClimateLight:
      layout.count = session.count;
      observer.layoutRecognised(layout);
      scanClimateSpan(fileName, session);
      break;
    case kPairedNumeric:
      layout.lightOption = hasLightMarker(stem);
      if (containsStateWord(session.List)) {
        session.count = kPairedState;
      }
      layout.count = session.count;
      observer.layoutRecognised(layout);
      session.datc = CountPos("Time", session.List.front());
      scanPairedSpan(session);
      break;
    default:  // motion events: the whole file is used, nothing to scan
      layout.count = session.count;
      observer.layoutRecognised(layout);
      break;
  }
  return layout;
}

}  // namespace vexa
