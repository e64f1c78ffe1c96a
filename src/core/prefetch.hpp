#pragma once
#include <algorithm>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace qv {

// Files prepared ahead of their first use on one worker thread, in the order given,
// while the main thread does something else (opening the window, drawing the loading
// screen). Each result is handed over once, to the first take() asking for its name.
// The work runs off the main thread, so it must not log or touch GL: whoever takes a
// result reports what went wrong, in the order the game has always reported it.
// locate turns a name into the file to read on the caller's thread (where the game's
// folders may change); work(name, file) runs on the worker.
template <class Result>
class Prefetch {
 public:
  using Locate = std::function<std::string(const std::string&)>;
  using Work = std::function<Result(const std::string&, const std::string&)>;
  Prefetch(Locate locate, Work work) : locate_(std::move(locate)), work_(std::move(work)) {}
  ~Prefetch() { stop(); }
  Prefetch(const Prefetch&) = delete;
  Prefetch& operator=(const Prefetch&) = delete;

  void start(const std::vector<std::string>& names) {
    stop();
    std::lock_guard lock(mutex_);
    for (const std::string& name : names)
      if (std::none_of(jobs_.begin(), jobs_.end(), [&](const Job& j) { return j.name == name; }))
        jobs_.push_back({name, locate_(name), false, {}});
    try {
      worker_ = std::thread([this] { run(); });
    } catch (...) {
      jobs_.clear();  // no thread: everything is prepared when asked for, as without a prefetch
    }
  }

  // Waits for the result if it is still being prepared; false when it was never asked for.
  bool take(const std::string& name, Result& out) {
    std::unique_lock lock(mutex_);
    auto job = std::find_if(jobs_.begin(), jobs_.end(), [&](const Job& j) { return j.name == name; });
    if (job == jobs_.end()) return false;
    ready_.wait(lock, [&] { return job->done; });
    out = std::move(job->result);
    jobs_.erase(job);
    return true;
  }

  // Lets the worker finish the job in hand and drops the rest.
  void stop() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    if (worker_.joinable()) worker_.join();
    std::lock_guard lock(mutex_);
    jobs_.clear();
    stopping_ = false;
  }

 private:
  struct Job {
    std::string name, file;
    bool done = false;
    Result result;
  };

  void run() {
    for (;;) {
      typename std::list<Job>::iterator job;
      {
        std::lock_guard lock(mutex_);
        job = std::find_if(jobs_.begin(), jobs_.end(), [](const Job& j) { return !j.done; });
        if (stopping_ || job == jobs_.end()) return;
      }
      // Only this thread touches an unfinished job, and nothing removes it before it is done.
      Result result = work_(job->name, job->file);
      std::lock_guard lock(mutex_);
      job->result = std::move(result);
      job->done = true;
      ready_.notify_all();
    }
  }

  Locate locate_;
  Work work_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::list<Job> jobs_;  // a list: removing one job leaves the worker's in place
  std::thread worker_;
  bool stopping_ = false;
};

}  // namespace qv
