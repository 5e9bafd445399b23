#pragma once

namespace spine {

// An entry of the skeleton's update sequence: a bone or a constraint.
class Updatable {
 public:
  virtual ~Updatable() = default;
  virtual void update() = 0;
  virtual bool isActive() const = 0;
};

}  // namespace spine
