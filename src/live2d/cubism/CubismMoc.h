#pragma once

// A loaded .moc3 file: the immutable model data shared by every CubismModel made from it.

#include <cstdint>
#include <memory>
#include <span>

namespace live2d::cubism {

struct MocData;
class CubismModel;

class CubismMoc : public std::enable_shared_from_this<CubismMoc> {
 public:
  // Nothing (with one "[CSM][E]" log line saying why) for a newer or malformed file.
  static std::shared_ptr<CubismMoc> create(std::span<const std::uint8_t> mocBytes);
  // Wraps data built elsewhere (tests); the data is checked like a file's.
  static std::shared_ptr<CubismMoc> createFromData(MocData data);

  ~CubismMoc();
  CubismMoc(const CubismMoc&) = delete;
  CubismMoc& operator=(const CubismMoc&) = delete;

  std::unique_ptr<CubismModel> createModel() const;
  int getMocVersion() const;
  static int getLatestMocVersion();
  const MocData& data() const { return *m_data; }

 private:
  explicit CubismMoc(std::unique_ptr<MocData> data);
  std::unique_ptr<MocData> m_data;
};

}  // namespace live2d::cubism
