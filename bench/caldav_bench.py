#!/usr/bin/python3
"""CalDAV sync against a local Radicale: the planner's first sync of a large
collection beside python3-caldav fetching the same collection, then a sync
with nothing changed and one with one changed item.

    /usr/bin/python3 bench/caldav_bench.py build/app/daybrook [ITEMS] [ROUNDS]

The collection is written straight into Radicale's store (one file per
object, its documented format) so that filling it costs no requests; one
listing warms Radicale's cache before anything is timed. The two clients run
alternately, each round on a fresh data root for the planner. Every planner
figure includes starting the process (about a tenth of a second).
"""
import os
import secrets
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

import caldav


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def event(i):
    day = 1 + i % 28
    month = 1 + (i // 28) % 12
    return ("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\nBEGIN:VEVENT\r\n"
            f"UID:bench-{i}@bench\r\nDTSTAMP:20260101T000000Z\r\n"
            f"DTSTART:2026{month:02d}{day:02d}T090000Z\r\nDTEND:2026{month:02d}{day:02d}T100000Z\r\n"
            f"SUMMARY:Bench item {i}\r\nLOCATION:Room {i % 40}\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n")


def figures(values):
    return "min %.2f s, median %.2f s, max %.2f s" % (min(values), statistics.median(values), max(values))


def main():
    daybrook = os.path.abspath(sys.argv[1])
    items = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    work = tempfile.mkdtemp(prefix="daybrook-caldav-bench-", dir="/dev/shm" if os.path.isdir("/dev/shm") else None)
    password = secrets.token_hex(8)  # lives in the server's own file only
    port = free_port()
    with open(os.path.join(work, "users"), "w") as f:
        f.write(f"bench:{password}\n")
    with open(os.path.join(work, "config"), "w") as f:
        f.write(f"[server]\nhosts = 127.0.0.1:{port}\n[auth]\ntype = htpasswd\n"
                f"htpasswd_filename = {work}/users\nhtpasswd_encryption = plain\ndelay = 0\n"
                f"[storage]\nfilesystem_folder = {work}/store\n[rights]\ntype = owner_only\n"
                "[logging]\nlevel = warning\n")
    collection = os.path.join(work, "store", "collection-root", "bench", "calendar")
    os.makedirs(collection)
    with open(os.path.join(collection, ".Radicale.props"), "w") as f:
        f.write('{"tag": "VCALENDAR"}')
    for i in range(items):
        with open(os.path.join(collection, f"bench-{i}.ics"), "w") as f:
            f.write(event(i))
    server = subprocess.Popen(["radicale", "--config", os.path.join(work, "config")],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    url = f"http://127.0.0.1:{port}/bench/calendar/"
    try:
        for _ in range(200):
            try:
                socket.create_connection(("127.0.0.1", port), timeout=0.2).close()
                break
            except OSError:
                time.sleep(0.05)
        client = caldav.DAVClient(url, username="bench", password=password)
        calendar = caldav.Calendar(client=client, url=url)
        warm = calendar.events()  # builds Radicale's item cache
        assert len(warm) == items, len(warm)

        env = dict(os.environ, DAYBROOK_CALDAV_PASSWORD=password, QT_QPA_PLATFORM="offscreen")

        def planner(home, *arguments):
            started = time.perf_counter()
            run = subprocess.run([daybrook, "--home", home, *arguments], env=env, capture_output=True, text=True)
            elapsed = time.perf_counter() - started
            assert run.returncode == 0, run.stderr
            return elapsed, run.stdout.strip()

        first, python = [], []
        home = None
        for r in range(rounds):
            started = time.perf_counter()
            fetched = calendar.events()
            for e in fetched:
                e.data  # the text, as the planner has it
            python.append(time.perf_counter() - started)
            assert len(fetched) == items
            if home:
                shutil.rmtree(home)
            home = tempfile.mkdtemp(prefix="daybrook-home-", dir=work)
            env["XDG_RUNTIME_DIR"] = tempfile.mkdtemp(prefix="run-", dir=work)
            elapsed, line = planner(home, "--caldav", url, "--user", "bench")
            assert f"pulled {items}," in line, line
            first.append(elapsed)
        print(f"{items} items, {rounds} rounds, alternating")
        print(f"  python3-caldav fetch all:   {figures(python)}")
        print(f"  planner first sync:         {figures(first)}")

        unchanged = [planner(home, "--sync")[0] for _ in range(5)]
        print(f"  planner sync, no change:    {figures(unchanged)}")
        calendar_file = os.path.join(home, "Personal Calendar", "Personal Calendar.db")
        one = []
        for r in range(5):
            subprocess.run(["sqlite3", calendar_file,
                            f"UPDATE items SET Subject = 'Changed {r}' WHERE No = 1"], check=True)
            elapsed, line = planner(home, "--sync")
            assert "pushed 1," in line, line
            one.append(elapsed)
        print(f"  planner sync, one changed:  {figures(one)}")
        started = time.perf_counter()
        subprocess.run([daybrook, "--version"], env=env, capture_output=True)
        print(f"  planner process start alone (--version): {time.perf_counter() - started:.2f} s")
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
