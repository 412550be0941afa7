-- Run by run.sh in a headless Neovim: opens TAMVO_FILE, attaches tamvo lsp,
-- waits for its diagnostics, applies the code action TAMVO_ACTION at the
-- 0-based line TAMVO_LINE (a quick fix when one is offered for the line's
-- diagnostics) and writes the buffer to TAMVO_OUT.
local function fail(message)
  io.stderr:write('nvim: ' .. message .. '\n')
  vim.cmd('cquit 1')
end

local file = os.getenv('TAMVO_FILE')
local line = tonumber(os.getenv('TAMVO_LINE'))
local title = os.getenv('TAMVO_ACTION')

vim.cmd('edit ' .. vim.fn.fnameescape(file))
local buf = vim.api.nvim_get_current_buf()
local ready, published = false, false
local client = vim.lsp.start_client({
  name = 'tamvo',
  cmd = { os.getenv('TAMVO'), 'lsp' },
  root_dir = vim.fn.fnamemodify(file, ':h'),
  init_options = { author = 'Neovim' },
  on_init = function() ready = true end,
  handlers = {
    ['textDocument/publishDiagnostics'] = function(...)
      vim.lsp.diagnostic.on_publish_diagnostics(...)
      published = true
    end,
  },
})
if not client then fail('the server did not start') end
vim.lsp.buf_attach_client(buf, client)
if not vim.wait(10000, function() return ready and published end, 20) then
  fail('no diagnostics from the server')
end

-- The line's diagnostics, as the protocol has them, for the quick fixes.
local diagnostics = {}
for _, d in ipairs(vim.diagnostic.get(buf, { lnum = line })) do
  local lsp = d.user_data and d.user_data.lsp or {}
  table.insert(diagnostics, {
    range = { start = { line = d.lnum, character = d.col }, ['end'] = { line = d.end_lnum, character = d.end_col } },
    severity = d.severity, message = d.message, source = d.source, code = lsp.code,
  })
end
local expectQuickFix = os.getenv('TAMVO_QUICKFIX') == '1'
if expectQuickFix and #diagnostics == 0 then fail('no diagnostics on line ' .. line) end

local responses = vim.lsp.buf_request_sync(buf, 'textDocument/codeAction', {
  textDocument = { uri = vim.uri_from_bufnr(buf) },
  range = { start = { line = line, character = 0 }, ['end'] = { line = line, character = 0 } },
  context = { diagnostics = diagnostics },
}, 10000)
local chosen
for _, response in pairs(responses or {}) do
  for _, action in ipairs(response.result or {}) do
    if action.title == title and (not expectQuickFix or action.kind == 'quickfix') then chosen = action end
  end
end
if not chosen then fail('no action "' .. title .. '" on line ' .. line) end
vim.lsp.util.apply_workspace_edit(chosen.edit, 'utf-16')
vim.cmd('silent write! ' .. vim.fn.fnameescape(os.getenv('TAMVO_OUT')))
vim.lsp.stop_client(client)
vim.cmd('qall!')
