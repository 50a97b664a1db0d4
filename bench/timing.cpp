#include "bench/timing.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <exception>
#include <sstream>

namespace veneer::bench {

namespace {

std::string json_string(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", v);
  return buf;
}

double seconds_of(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

double time_batch(const std::function<void()>& operation, std::int64_t count) {
  const auto start = std::chrono::steady_clock::now();
  for (std::int64_t i = 0; i < count; ++i) operation();
  return seconds_of(std::chrono::steady_clock::now() - start);
}

}  // namespace

bool parse_timing_options(const std::vector<std::string>& args, TimingOptions& options, std::string& error) {
  for (const std::string& arg : args) {
    const auto eq = arg.find('=');
    const std::string flag = arg.substr(0, eq);
    const std::string value = eq == std::string::npos ? "" : arg.substr(eq + 1);
    try {
      std::size_t used = 0;
      if (flag == "--benchmark_filter") {
        options.filter = value;
      } else if (flag == "--benchmark_repetitions") {
        options.repetitions = std::stoi(value, &used);
        if (used != value.size() || options.repetitions < 1) throw std::invalid_argument(value);
      } else if (flag == "--benchmark_min_time") {
        options.min_time = std::stod(value, &used);
        if (used != value.size() || !(options.min_time >= 0)) throw std::invalid_argument(value);
      } else if (flag == "--benchmark_out") {
        options.out = value;
      } else if (flag == "--benchmark_out_format") {
        if (value != "json") throw std::invalid_argument(value);
      } else if (flag == "--benchmark_list_tests") {
        options.list_only = value.empty() || value == "true" || value == "1";
      } else {
        error = "unknown flag: " + arg;
        return false;
      }
    } catch (const std::exception&) {
      error = "bad value in " + arg;
      return false;
    }
  }
  return true;
}

Measurement measure(const std::string& name, const std::function<void()>& operation, const TimingOptions& options,
                    bool single) {
  Measurement m;
  m.name = name;
  try {
    std::int64_t count = 1;
    if (!single) {
      // Size the batch as Google Benchmark does: grow it until it lasts the minimum time.
      for (;;) {
        const double elapsed = time_batch(operation, count);
        if (elapsed >= options.min_time || count >= (std::int64_t{1} << 40)) break;
        const double factor = elapsed > 0 ? 1.4 * options.min_time / elapsed : 10.0;
        count = static_cast<std::int64_t>(std::ceil(static_cast<double>(count) * std::clamp(factor, 2.0, 10.0)));
      }
    }
    m.iterations = count;
    for (int r = 0; r < options.repetitions; ++r)
      m.per_op_us.push_back(time_batch(operation, count) * 1e6 / static_cast<double>(count));
  } catch (const std::exception& e) {
    m.error = e.what();
    m.per_op_us.clear();
  }
  return m;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The process's CPU time is not reported: under Wine it has a resolution of a clock tick,
// far too coarse for these operations.
std::string benchmark_json(const std::vector<Measurement>& measurements, const std::string& executable) {
  std::ostringstream out;
  out << "{\n  \"context\": {\n    \"executable\": " << json_string(executable)
      << ",\n    \"driver\": \"veneer timing loop\",\n    \"library_build_type\": \"release\"\n  },\n"
      << "  \"benchmarks\": [";
  bool first = true;
  auto entry = [&](const Measurement& m, std::size_t family, const std::string& name, const std::string& run_type,
                   const std::string& extra, double value) {
    out << (first ? "\n" : ",\n") << "    {\"name\": " << json_string(name) << ", \"family_index\": " << family
        << ", \"per_family_instance_index\": 0, \"run_name\": " << json_string(m.name)
        << ", \"run_type\": " << json_string(run_type) << ", \"repetitions\": " << m.per_op_us.size() << extra
        << ", \"threads\": 1, \"iterations\": " << m.iterations << ", \"real_time\": " << number(value)
        << ", \"time_unit\": \"us\"";
    if (!m.label.empty()) out << ", \"label\": " << json_string(m.label);
    if (!m.error.empty()) out << ", \"error_occurred\": true, \"error_message\": " << json_string(m.error);
    out << "}";
    first = false;
  };
  for (std::size_t f = 0; f < measurements.size(); ++f) {
    const Measurement& m = measurements[f];
    if (!m.error.empty()) {
      entry(m, f, m.name, "iteration", ", \"repetition_index\": 0", 0);
      continue;
    }
    for (std::size_t r = 0; r < m.per_op_us.size(); ++r)
      entry(m, f, m.name, "iteration", ", \"repetition_index\": " + std::to_string(r), m.per_op_us[r]);
    if (m.per_op_us.size() < 2) continue;
    double sum = 0;
    for (double v : m.per_op_us) sum += v;
    const double mean = sum / static_cast<double>(m.per_op_us.size());
    double squares = 0;
    for (double v : m.per_op_us) squares += (v - mean) * (v - mean);
    const double stddev = std::sqrt(squares / static_cast<double>(m.per_op_us.size() - 1));
    entry(m, f, m.name + "_mean", "aggregate", ", \"aggregate_name\": \"mean\"", mean);
    entry(m, f, m.name + "_median", "aggregate", ", \"aggregate_name\": \"median\"", median(m.per_op_us));
    entry(m, f, m.name + "_stddev", "aggregate", ", \"aggregate_name\": \"stddev\"", stddev);
  }
  out << "\n  ]\n}\n";
  return out.str();
}

}  // namespace veneer::bench
