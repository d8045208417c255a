-- The language server through a real client: headless Neovim starts
-- `scenario-builder lsp` on the exported embedded descriptions and checks what
-- an author sees. Run: nvim --headless --clean -u NONE -c "luafile THIS" with
-- SB_PROGRAM (the program) and SB_WORK (an empty directory) in the environment.
local program = os.getenv('SB_PROGRAM')
local work = os.getenv('SB_WORK')
local failures = 0

local function check(ok, what)
  if ok then
    io.stdout:write('ok   ' .. what .. '\n')
  else
    failures = failures + 1
    io.stdout:write('FAIL ' .. what .. '\n')
  end
end

local function finish()
  io.stdout:write(failures == 0 and 'all passed\n' or (failures .. ' failed\n'))
  vim.cmd((failures == 0 and 'qall!' or 'cquit! 1'))
end

local function main()
vim.fn.mkdir(work, 'p')
vim.fn.system({ program, 'export', work })
local line_path = work .. '/ORSEA_MONTELBA_linea.txt'
local service_path = work .. '/ORSEA_MONTELBA_RX17-.txt'
vim.o.fileencodings = 'ucs-bom,utf-8,cp1252'

local published = {}
local function publish_handler(err, result, ctx, config)
  vim.lsp.diagnostic.on_publish_diagnostics(err, result, ctx, config)
  published[result.uri] = (published[result.uri] or 0) + 1
end

local client = vim.lsp.start_client({
  name = 'scenario-builder',
  cmd = { program, 'lsp' },
  root_dir = work,
  handlers = { ['textDocument/publishDiagnostics'] = publish_handler },
})
check(client ~= nil, 'the server starts')

-- Opens a file, attaches the server and waits for its first diagnostics.
local function open(path)
  vim.cmd('edit ' .. vim.fn.fnameescape(path))
  local buf = vim.api.nvim_get_current_buf()
  local uri = vim.uri_from_bufnr(buf)
  vim.lsp.buf_attach_client(buf, client)
  vim.wait(10000, function() return (published[uri] or 0) > 0 end, 20)
  return buf, uri
end

-- Applies an edit and waits for the diagnostics that follow it.
local function edit(buf, uri, row, col, end_col, text)
  local before = published[uri] or 0
  vim.api.nvim_buf_set_text(buf, row, col, row, end_col, { text })
  vim.wait(10000, function() return (published[uri] or 0) > before end, 20)
  return vim.diagnostic.get(buf)
end

local function find_line(buf, pattern)
  for i, l in ipairs(vim.api.nvim_buf_get_lines(buf, 0, -1, false)) do
    if l:find(pattern, 1, true) then return i - 1, l end
  end
  return nil
end

local function request(buf, method, params)
  local answers = vim.lsp.buf_request_sync(buf, method, params, 10000) or {}
  for _, a in pairs(answers) do return a.result end
end

-- The line description as exported: no diagnostics.
local line_buf, line_uri = open(line_path)
check((published[line_uri] or 0) > 0, 'diagnostics are published on open')
check(#vim.diagnostic.get(line_buf) == 0, 'the embedded line description has no diagnostics')

-- A misspelt keyword: a warning at the field, and a quick fix that repairs it.
local row = find_line(line_buf, 'curvas6,')
local diags = edit(line_buf, line_uri, row, 0, 7, 'cruvas6')
local d = diags[1]
check(#diags == 1 and d.severity == vim.diagnostic.severity.WARN and d.lnum == row and d.col == 0 and d.end_col == 7,
  'a misspelt keyword gives one warning at its field')
local lsp_diags = vim.lsp.diagnostic.get_line_diagnostics(line_buf, row)
local actions = request(line_buf, 'textDocument/codeAction', {
  textDocument = { uri = line_uri },
  range = lsp_diags[1] and lsp_diags[1].range or { start = { line = row, character = 0 }, ['end'] = { line = row, character = 7 } },
  context = { diagnostics = lsp_diags },
}) or {}
check(#actions == 1 and actions[1].kind == 'quickfix', 'the warning offers one quick fix')
if actions[1] then
  local before = published[line_uri] or 0
  vim.lsp.util.apply_workspace_edit(actions[1].edit, 'utf-16')
  vim.wait(10000, function() return (published[line_uri] or 0) > before end, 20)
end
check(vim.api.nvim_buf_get_lines(line_buf, row, row + 1, false)[1]:sub(1, 8) == 'curvas6,', 'the quick fix repairs the keyword')
check(#vim.diagnostic.get(line_buf) == 0, 'the repaired description has no diagnostics')

-- A position off the track: error 15 at the position's field.
local grow, gline = find_line(line_buf, 'pendenza,  18350')
local gcol = gline:find('18350', 1, true) - 1
diags = edit(line_buf, line_uri, grow, gcol, gcol + 5, '1999999')
d = diags[1]
check(#diags == 1 and d.severity == vim.diagnostic.severity.ERROR and d.code == 15 and d.lnum == grow and d.col == gcol
  and d.end_col == gcol + 7, 'an off-track position gives error 15 at its field')
diags = edit(line_buf, line_uri, grow, gcol, gcol + 7, '18350')
check(#diags == 0, 'putting the position back clears the error')

-- Hover on the information board at 47150.
local brow = find_line(line_buf, 'cartello_indicatore,  47150')
local hover = request(line_buf, 'textDocument/hover', { textDocument = { uri = line_uri }, position = { line = brow, character = 2 } })
local htext = hover and hover.contents and hover.contents.value or ''
check(htext:find('47+150', 1, true) ~= nil and htext:find('cell 944', 1, true) ~= nil
  and htext:find('information board', 1, true) ~= nil, 'hover on the board names 47+150 and cell 944: ' .. htext:gsub('\n', ' '))

-- The service description: the stations in the outline, completion in [stazioni].
local service_buf, service_uri = open(service_path)
check(#vim.diagnostic.get(service_buf) == 0, 'the embedded service description has no diagnostics')
local symbols = request(service_buf, 'textDocument/documentSymbol', { textDocument = { uri = service_uri } }) or {}
local stations = {}
for _, s in ipairs(symbols) do
  if s.name == '[stazioni]' then
    for _, c in ipairs(s.children or {}) do table.insert(stations, c.name) end
  end
end
check(#stations == 14 and stations[1] == 'ORSEA' and stations[14] == 'MONTELBA BORGOVECCHIO',
  'the outline lists the 14 stations: ' .. table.concat(stations, ', '))

local srow = find_line(service_buf, '[stazioni]')
vim.api.nvim_buf_set_lines(service_buf, srow + 1, srow + 1, false, { 'sta' })
local items = request(service_buf, 'textDocument/completion',
  { textDocument = { uri = service_uri }, position = { line = srow + 1, character = 3 } }) or {}
if items.items then items = items.items end
local offered = false
for _, it in ipairs(items) do
  if it.label == 'stazione' and (it.insertText or ''):find('${1:position}', 1, true) then offered = true end
end
check(offered, 'completion inside [stazioni] offers the station entry as a snippet')

vim.lsp.stop_client(client)
end

local ok, e = pcall(main)
check(ok, 'the test ran to its end ' .. tostring(e or ''))
finish()
