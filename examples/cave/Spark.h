#ifndef CAVE_SPARK_H
#define CAVE_SPARK_H

#include <wendrel/Object.h>

// A SOFT speck that flies straight on through everything. A thrown spark
// deletes itself once it has left the world; a swarm spark turns back into it.
class Spark : public wd::Object {
 public:
  enum OnLeaving { LEAVES, TURNS_BACK };

  Spark(wd::Vector where, wd::Vector velocity, OnLeaving on_leaving);
  int handleEvent(const wd::Event* p_e) override;

  // A thrown spark glints in gold, a mote is a pale blue ring.
  int draw() override;

 private:
  OnLeaving on_leaving;
};

#endif
