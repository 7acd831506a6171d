#include "export_generator.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>

#include "input/datetime.h"

namespace vexa::bench {

namespace {

// xorshift32: small, fast and the same on every machine.
class Random {
 public:
  explicit Random(std::uint32_t seed) : state_(seed == 0 ? 1 : seed) {}
  std::uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  // A value in [low, high) with two decimals.
  double between(double low, double high) {
    return low + (high - low) * static_cast<double>(next() % 10000) / 10000.0;
  }

 private:
  std::uint32_t state_;
};

void appendNumber(std::string& out, double value, int decimals) {
  char buffer[32];
  const int n = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  out.append(buffer, static_cast<std::size_t>(n));
}

// "yyyy-mm-ddThh:nn:ss+03:00", the web service's form.
void appendStamp(std::string& out, double serial) {
  std::string stamp = formatDateTime(serial);
  stamp[10] = 'T';
  out += stamp;
  out += "+03:00";
}

}  // namespace

std::string generateExport(ExportKind kind, const GeneratorOptions& options) {
  const char* eol = options.crlf ? "\r\n" : "\n";
  const double step = options.stepSeconds / 86400.0;
  Random random(options.seed);
  std::string out;
  out.reserve(options.lines * (kind == ExportKind::PairedNumeric ? 20u * options.series : 48u));

  switch (kind) {
    case ExportKind::Climate:
      out += "Date/Time,Temperature (C),Moisture (%),Battery (Volts)";
      break;
    case ExportKind::ClimateLight:
      out += "Date/Time,Temperature (C),Moisture (%),Brightness (lux), Battery(Volts)";
      break;
    case ExportKind::Temperature:
      out += "Date/Time,Temperature(C),Battery(Volts)";
      break;
    case ExportKind::MotionEvents:
      out += "Date,Time,Type,Duration(seconds), Angle(degrees)";
      break;
    case ExportKind::PairedNumeric:
    case ExportKind::PairedState:
      out += "Date";
      for (int j = 1; j <= options.series; ++j) {
        out += kind == ExportKind::PairedState ? ",Time, Door " : ",Time, Sensor ";
        out += std::to_string(j);
      }
      break;
  }
  out += eol;

  double temperature = 21.0;
  double humidity = 45.0;
  for (std::size_t i = 1; i < options.lines; ++i) {
    const double serial = options.start + static_cast<double>(i - 1) * step;
    temperature += random.between(-0.2, 0.2);
    humidity += random.between(-0.5, 0.5);
    humidity = std::fmin(std::fmax(humidity, 5.0), 99.0);
    const double battery = 3.05 - static_cast<double>(i) * 1e-7;
    switch (kind) {
      case ExportKind::Climate:
      case ExportKind::ClimateLight:
      case ExportKind::Temperature: {
        appendStamp(out, serial);
        out += ',';
        appendNumber(out, temperature, 2);
        if (kind != ExportKind::Temperature) {
          out += ',';
          appendNumber(out, humidity, 2);
        }
        if (kind == ExportKind::ClimateLight) {
          // Daylight: dark at night, up to a few thousand lux at noon.
          const double day = serial - std::floor(serial);
          const double sun = std::fmax(0.0, std::sin((day - 0.25) * 2 * std::numbers::pi));
          out += ',';
          appendNumber(out, sun * 3000.0 + random.between(0, 5), 1);
        }
        out += ',';
        appendNumber(out, battery, 3);
        break;
      }
      case ExportKind::MotionEvents: {
        const CivilDateTime t = decodeDateTime(serial);
        char buffer[64];
        static const char* kTypes[] = {"Armed", "Moved", "Moved", "Disarmed"};
        std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d,%02d:%02d:%02d,%s,", t.month, t.day,
                      t.year, t.hour, t.minute, t.second, kTypes[random.next() % 4]);
        out += buffer;
        appendNumber(out, random.between(0, 30), 1);
        out += ',';
        out += std::to_string(random.next() % 180);
        break;
      }
      case ExportKind::PairedNumeric:
      case ExportKind::PairedState: {
        const std::string stamp = formatDateTime(serial);
        out.append(stamp, 0, 10);
        for (int j = 0; j < options.series; ++j) {
          // About one pair in ten is empty: the series did not sample then.
          if (random.next() % 10 == 0) {
            out += ",,";
            continue;
          }
          out += ',';
          out.append(stamp, 11, 8);
          out += ',';
          if (kind == ExportKind::PairedState) {
            out += random.next() % 2 ? "Opened" : "Closed";
          } else {
            appendNumber(out, temperature + j * 1.5 + random.between(-0.1, 0.1), 2);
          }
        }
        break;
      }
    }
    out += eol;
  }
  return out;
}

bool writeExport(const std::string& path, ExportKind kind, const GeneratorOptions& options) {
  const std::string bytes = generateExport(kind, options);
  std::ofstream file(path, std::ios::binary);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

bool parseExportKind(const std::string& name, ExportKind& kind) {
  struct Entry {
    const char* name;
    ExportKind kind;
  };
  static const Entry kNames[] = {
      {"climate", ExportKind::Climate},         {"light", ExportKind::ClimateLight},
      {"temperature", ExportKind::Temperature}, {"motion", ExportKind::MotionEvents},
      {"paired", ExportKind::PairedNumeric},    {"state", ExportKind::PairedState},
  };
  for (const Entry& entry : kNames) {
    if (name == entry.name) {
      kind = entry.kind;
      return true;
    }
  }
  return false;
}

}  // namespace vexa::bench
