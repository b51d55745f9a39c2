// Plays the built game over pipes the way a program driving it would: each
// answer is sent only once the prompt asking for it has arrived, so a prompt
// left sitting in an output buffer makes the wait time out and the test fail.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

namespace {

std::string file_text(const std::string& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// The game as a child process; its standard input and output are pipes.
class GameProcess {
public:
    GameProcess()
    {
        std::signal(SIGPIPE, SIG_IGN);
        int toChild[2];
        int fromChild[2];
        EXPECT_EQ(pipe(toChild), 0);
        EXPECT_EQ(pipe(fromChild), 0);
        pid = fork();
        if (pid == 0) {
            dup2(toChild[0], STDIN_FILENO);
            dup2(fromChild[1], STDOUT_FILENO);
            for (const int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) {
                close(fd);
            }
            execl(MOON_SURVIVAL_EXECUTABLE, MOON_SURVIVAL_EXECUTABLE, nullptr);
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        input = toChild[1];
        output = fromChild[0];
    }
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;
    ~GameProcess()
    {
        close(input);
        close(output);
        if (pid > 0) { // a test that stopped early must not leave the game behind
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }

    // Reads until the output that arrived since the last answer ends with a
    // prompt; false if the game first falls silent for five seconds or closes
    // its output.
    bool wait_for_prompt()
    {
        while (!prompted_since_answer()) {
            if (!read_some()) {
                return false;
            }
        }
        return true;
    }

    void send(const std::string& text)
    {
        EXPECT_EQ(write(input, text.data(), text.size()), static_cast<ssize_t>(text.size()));
        answeredAt = written.size();
    }

    // Ends the game's input, reads the rest of its output, returns its exit status.
    int finish()
    {
        close(input);
        input = -1;
        while (read_some()) {
        }
        int status = -1;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string written;

private:
    [[nodiscard]] bool prompted_since_answer() const
    {
        const std::string_view sinceAnswer = std::string_view(written).substr(answeredAt);
        return sinceAnswer.ends_with("Wpisz numer: ") || sinceAnswer.ends_with("Wpisz numer: \n");
    }

    bool read_some()
    {
        pollfd ready{output, POLLIN, 0};
        char buffer[4096];
        const ssize_t count = poll(&ready, 1, 5000) > 0 ? read(output, buffer, sizeof buffer) : 0;
        written.append(buffer, count > 0 ? static_cast<std::size_t>(count) : 0);
        return count > 0;
    }

    std::size_t answeredAt = 0;
    pid_t pid = -1;
    int input = -1;
    int output = -1;
};

class PlayedOverPipes : public testing::TestWithParam<std::string> {};

TEST_P(PlayedOverPipes, AnswersEachPromptAsItArrives)
{
    const std::string transcript = std::string(TRANSCRIPT_DIR) + "/" + GetParam();
    std::istringstream answers(file_text(transcript + ".in"));
    GameProcess game;
    for (std::string answer; std::getline(answers, answer);) {
        ASSERT_TRUE(game.wait_for_prompt()) << "no prompt for '" << answer << "' after:\n"
                                            << game.written;
        game.send(answer + "\n");
    }
    EXPECT_EQ(game.finish(), 0);
    EXPECT_EQ(game.written, file_text(transcript + ".expected"));
}

INSTANTIATE_TEST_SUITE_P(Transcripts, PlayedOverPipes,
                         testing::Values("won_ship", "fight_bad_input"));

} // namespace
