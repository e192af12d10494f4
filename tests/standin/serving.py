"""The serving loop of the asyncio stand-ins: says the port once the server
listens ("PORT <n>"), then serves until killed or its lifetime ends."""
import asyncio
import sys


async def announce_and_serve(server, lifetime):
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    async with server:
        await asyncio.wait_for(server.serve_forever(), lifetime)


def run(main):
    try:
        asyncio.run(main())
    except (asyncio.TimeoutError, KeyboardInterrupt):
        sys.exit(0)
